#include "codepage/SjisByteLength.h"

#include "codepage/JapaneseTables.h"

namespace quillo::codepage {

int Cp932UnitBytes(char16_t unit) {
    const std::uint16_t code = JapaneseTables::instance().cp932Code(unit);
    return code != JapaneseTables::kNoCode && code >= 0x100 ? 2 : 1;
}

std::int64_t Cp932ByteLength(std::u16string_view text) {
    const JapaneseTables& t = JapaneseTables::instance();
    std::int64_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            ++i; // a pair becomes one substitute byte
            ++n;
            continue;
        }
        const std::uint16_t code = t.cp932Code(u);
        n += code != JapaneseTables::kNoCode && code >= 0x100 ? 2 : 1;
    }
    return n;
}

} // namespace quillo::codepage
