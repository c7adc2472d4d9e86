#include "differential.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(Differential, AgreesWithPcreOnTheSharedSyntax) {
    const char* env = std::getenv("QUILLO_REGEX_DIFF_CASES");
    const int cases = env != nullptr ? std::atoi(env) : 20000;
    int differences = 0;
    for (int i = 0; i < cases && differences < 20; ++i) {
        const std::string diff = CompareWithPcre(RandomDiffCase(static_cast<std::uint64_t>(i)));
        if (!diff.empty()) {
            ADD_FAILURE() << "case " << i << ": " << diff;
            ++differences;
        }
    }
    EXPECT_EQ(differences, 0);
}

} // namespace
