// Differential testing of the engine against PCRE2 (16-bit, UTF and UCP) on the syntax both
// share: random expressions and subjects, compared match by match with every group's span.
#pragma once

#include <cstdint>
#include <string>

struct TDiffCase {
    std::u16string Expression;
    std::u16string Subject;
    bool IgnoreCase = false;
};

// A random case from the generator state.
TDiffCase RandomDiffCase(std::uint64_t Seed);
// Empty when both engines agree (or PCRE2 or the engine rejects the expression); otherwise a
// description of the first difference.
std::string CompareWithPcre(const TDiffCase& Case);
