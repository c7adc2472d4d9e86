#include "app/codepage/SjisByteLength.h"

#include <array>
#include <iconv.h>

namespace quillo::codepage {
namespace {

// One bit per BMP code unit: set when CP932 writes it as two bytes.
class Cp932WidthTable {
public:
    Cp932WidthTable() {
        iconv_t cd = iconv_open("CP932", "UTF-16LE");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return; // no CP932 converter: every unit counts one byte
        }
        for (std::uint32_t u = 0x80; u < 0x10000; ++u) {
            if (u >= 0xD800 && u < 0xE000) {
                continue;
            }
            char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
            char out[8];
            char* inp = in;
            char* outp = out;
            size_t inLeft = 2;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) &&
                sizeof out - outLeft == 2) {
                double_[u >> 6] |= std::uint64_t{1} << (u & 63);
            }
        }
        iconv_close(cd);
    }
    bool isDouble(char16_t u) const { return (double_[u >> 6] >> (u & 63)) & 1U; }

private:
    std::array<std::uint64_t, 0x10000 / 64> double_{};
};

const Cp932WidthTable& table() {
    static const Cp932WidthTable t;
    return t;
}

} // namespace

int Cp932UnitBytes(char16_t unit) { return table().isDouble(unit) ? 2 : 1; }

std::int64_t Cp932ByteLength(std::u16string_view text) {
    const Cp932WidthTable& t = table();
    std::int64_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            ++i; // a pair becomes one substitute byte
            ++n;
            continue;
        }
        n += t.isDouble(u) ? 2 : 1;
    }
    return n;
}

} // namespace quillo::codepage
