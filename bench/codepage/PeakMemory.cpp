#include "PeakMemory.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <string>

namespace quillo::bench {
namespace {

std::int64_t statusField(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(name);
    while (std::getline(status, line)) {
        if (line.compare(0, length, name) == 0) {
            return std::stoll(line.substr(length)) * 1024; // in kB
        }
    }
    return 0;
}

} // namespace

std::int64_t ResidentBytes() {
    return statusField("VmRSS:");
}

std::int64_t PeakResidentBytes() {
    return statusField("VmHWM:");
}

void ResetPeakResident() {
    malloc_trim(0);
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f); // 5: the peak becomes the present resident size
        std::fclose(f);
    }
}

} // namespace quillo::bench
