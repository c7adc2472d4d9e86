#pragma once

#include <array>
#include <cstdint>

namespace quillo::codepage {

// The CP932 and 51932 mappings as Windows has them.  CP932 comes from the
// system's iconv CP932 converter; 51932 is derived from it: JIS rows 1 to 94 of
// CP932 (JIS X 0208, the NEC row 13 and the NEC-selected IBM rows 89 to 92),
// half-width katakana after 8E, and no JIS X 0212.  Built once, on first use.
class JapaneseTables {
public:
    static constexpr char16_t kNone = 0xFFFF; // not a character in the table
    static constexpr std::uint16_t kNoCode = 0xFFFF;

    static const JapaneseTables& instance();

    // Single byte of CP932 (ASCII, half-width katakana), or kNone.
    char16_t cp932Single(std::uint8_t b) const { return cp932Single_[b]; }
    bool cp932Lead(std::uint8_t b) const { return cp932Lead_[b]; }
    // Double-byte code lead << 8 | trail, or kNone.
    char16_t cp932Double(std::uint16_t code) const { return cp932Double_[code]; }
    // CP932 code of a BMP unit: < 0x100 for one byte, kNoCode when CP932 lacks it.
    std::uint16_t cp932Code(char16_t u) const { return cp932Code_[u]; }

    // 51932 double-byte code (both bytes A1..FE), or kNone.
    char16_t eucDouble(std::uint16_t code) const;
    // 51932 code of a BMP unit: < 0x80 one byte, 0x8Exx half-width katakana,
    // otherwise two bytes; kNoCode when 51932 lacks it.
    std::uint16_t eucCode(char16_t u) const { return eucCode_[u]; }

private:
    JapaneseTables();

    std::array<char16_t, 256> cp932Single_{};
    std::array<bool, 256> cp932Lead_{};
    std::array<char16_t, 0x10000> cp932Double_{};
    std::array<std::uint16_t, 0x10000> cp932Code_{};
    std::array<char16_t, 94 * 94> eucDouble_{};
    std::array<std::uint16_t, 0x10000> eucCode_{};
};

inline char16_t JapaneseTables::eucDouble(std::uint16_t code) const {
    const unsigned hi = code >> 8;
    const unsigned lo = code & 0xFF;
    if (hi < 0xA1 || hi > 0xFE || lo < 0xA1 || lo > 0xFE) {
        return kNone;
    }
    return eucDouble_[(hi - 0xA1) * 94 + (lo - 0xA1)];
}

} // namespace quillo::codepage
