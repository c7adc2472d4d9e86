// The option sets of the engine. Receives nothing; guarantees the bit numbers that the option
// sets are stored with (16 bits for TREOption, 8 bits for TRECompareOption) and the one mapping
// from options to compare options that the lexer, the parser and the matcher share.
#pragma once

#include <cstdint>

enum TREOption : std::uint8_t {
    roNone = 0,
    roIgnoreCase = 1,
    roMultiLine = 2,
    roNamedGroupOnly = 3,
    roSingleLine = 4,
    roExtended = 5,
    roIgnoreWidth = 6,
    roIgnoreKana = 7,
    roDefinedCharClassLegacy = 8,
};

// A set of TREOption, bit n for option n.
using TREOptions = std::uint16_t;

enum TRECompareOption : std::uint8_t {
    coIgnoreCase = 0,
    coIgnoreWidth = 1,
    coIgnoreKana = 2,
};

// A set of TRECompareOption, bit n for option n.
using TRECompareOptions = std::uint8_t;

constexpr TREOptions OptionBit(TREOption o) {
    return static_cast<TREOptions>(1u << o);
}
constexpr bool HasOption(TREOptions set, TREOption o) {
    return (set & OptionBit(o)) != 0;
}
constexpr TRECompareOptions CompareBit(TRECompareOption o) {
    return static_cast<TRECompareOptions>(1u << o);
}
constexpr bool HasCompareOption(TRECompareOptions set, TRECompareOption o) {
    return (set & CompareBit(o)) != 0;
}

constexpr TRECompareOptions ToCompareOptions(TREOptions options) {
    TRECompareOptions result = 0;
    if (HasOption(options, roIgnoreCase)) {
        result |= CompareBit(coIgnoreCase);
    }
    if (HasOption(options, roIgnoreWidth)) {
        result |= CompareBit(coIgnoreWidth);
    }
    if (HasOption(options, roIgnoreKana)) {
        result |= CompareBit(coIgnoreKana);
    }
    return result;
}
