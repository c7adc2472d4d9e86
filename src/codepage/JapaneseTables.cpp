#include "codepage/JapaneseTables.h"

#include <iconv.h>

namespace quillo::codepage {
namespace {

// Converts one short sequence; returns the number of output bytes, -1 on failure.
int convertOne(iconv_t cd, const char* in, std::size_t inLen, char* out, std::size_t outCap) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inp = const_cast<char*>(in);
    char* outp = out;
    std::size_t inLeft = inLen;
    std::size_t outLeft = outCap;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
        return -1;
    }
    return static_cast<int>(outCap - outLeft);
}

// JIS row (1-based) of a CP932 lead byte and the first of its two rows.
int jisRowOfLead(unsigned lead) {
    if (lead >= 0x81 && lead <= 0x9F) {
        return (lead - 0x81) * 2 + 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return (lead - 0xE0) * 2 + 63;
    }
    return -1;
}

// Preference when several 51932 codes hold the same character: JIS X 0208
// first, then the NEC row 13, then the NEC-selected IBM rows.
int rowRank(int row) {
    if (row == 13) {
        return 1;
    }
    if (row >= 89 && row <= 92) {
        return 2;
    }
    return 0;
}

} // namespace

const JapaneseTables& JapaneseTables::instance() {
    static const JapaneseTables* const tables = new JapaneseTables;
    return *tables;
}

JapaneseTables::JapaneseTables() {
    cp932Single_.fill(kNone);
    cp932Double_.fill(kNone);
    cp932Code_.fill(kNoCode);
    eucDouble_.fill(kNone);
    eucCode_.fill(kNoCode);

    for (unsigned b = 0; b < 0x80; ++b) {
        cp932Single_[b] = static_cast<char16_t>(b);
    }
    for (unsigned b = 0xA1; b <= 0xDF; ++b) {
        cp932Single_[b] = static_cast<char16_t>(0xFF61 + (b - 0xA1));
    }
    for (unsigned b = 0x81; b <= 0xFC; ++b) {
        cp932Lead_[b] = b <= 0x9F || b >= 0xE0;
    }

    iconv_t dec = iconv_open("UTF-16LE", "CP932");
    if (dec != reinterpret_cast<iconv_t>(-1)) {
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!cp932Lead_[lead]) {
                continue;
            }
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) {
                    continue;
                }
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                unsigned char out[8];
                if (convertOne(dec, in, 2, reinterpret_cast<char*>(out), sizeof out) == 2) {
                    const char16_t u = static_cast<char16_t>(out[0] | out[1] << 8);
                    cp932Double_[lead << 8 | trail] = u;
                }
            }
        }
        iconv_close(dec);
    }

    // The encoder follows the system's choice among duplicates (JIS X 0208 before
    // NEC row 13, IBM before NEC-selected IBM), as Windows does.
    iconv_t enc = iconv_open("CP932", "UTF-16LE");
    if (enc != reinterpret_cast<iconv_t>(-1)) {
        for (unsigned u = 0x80; u < 0x10000; ++u) {
            if (u >= 0xD800 && u < 0xE000) {
                continue;
            }
            const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
            unsigned char out[8];
            const int n = convertOne(enc, in, 2, reinterpret_cast<char*>(out), sizeof out);
            if (n == 1) {
                cp932Code_[u] = out[0];
            } else if (n == 2) {
                cp932Code_[u] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
            }
        }
        iconv_close(enc);
    }
    for (unsigned b = 0; b < 0x80; ++b) {
        cp932Code_[b] = static_cast<std::uint16_t>(b);
    }

    std::array<std::uint8_t, 0x10000> rank{};
    rank.fill(0xFF);
    for (unsigned lead = 0x81; lead <= 0xEF; ++lead) {
        const int firstRow = jisRowOfLead(lead);
        if (firstRow < 0) {
            continue;
        }
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const char16_t u = cp932Double_[lead << 8 | trail];
            if (u == kNone || trail == 0x7F) {
                continue;
            }
            int row = firstRow;
            int cell;
            if (trail >= 0x9F) {
                row += 1;
                cell = static_cast<int>(trail) - 0x9F + 1;
            } else {
                cell = static_cast<int>(trail) - 0x40 + 1 - (trail > 0x7F ? 1 : 0);
            }
            const std::size_t index = static_cast<std::size_t>((row - 1) * 94 + (cell - 1));
            eucDouble_[index] = u;
            const auto r = static_cast<std::uint8_t>(rowRank(row));
            if (r < rank[u]) {
                rank[u] = r;
                eucCode_[u] = static_cast<std::uint16_t>((row + 0xA0) << 8 | (cell + 0xA0));
            }
        }
    }
    for (unsigned b = 0; b < 0x80; ++b) {
        eucCode_[b] = static_cast<std::uint16_t>(b);
    }
    for (unsigned k = 0; k < 63; ++k) {
        eucCode_[0xFF61 + k] = static_cast<std::uint16_t>(0x8E00 | (0xA1 + k));
    }
}

} // namespace quillo::codepage
