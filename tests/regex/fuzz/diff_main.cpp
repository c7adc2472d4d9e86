// The differential check against PCRE2 run for a given time: random cases from a seed on,
// every difference printed; the exit status tells whether any was found.
#include "../differential.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1000000;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::uint64_t cases = 0;
    int differences = 0;
    while (std::chrono::steady_clock::now() < until && differences < 50) {
        for (int i = 0; i < 1000; ++i, ++seed, ++cases) {
            const std::string diff = CompareWithPcre(RandomDiffCase(seed));
            if (!diff.empty()) {
                std::printf("seed %llu: %s\n", static_cast<unsigned long long>(seed), diff.c_str());
                ++differences;
            }
        }
    }
    std::printf("fuzz-regex-diff: %llu cases, %d differences\n",
                static_cast<unsigned long long>(cases), differences);
    return differences == 0 ? 0 : 1;
}
