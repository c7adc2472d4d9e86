#include "codepage/TextEncoder.h"

#include "codepage/CodePageNames.h"
#include "codepage/DocumentCodes.h"
#include "codepage/JapaneseTables.h"
#include "codepage/codepage.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>

namespace quillo::codepage {
namespace {

bool isHigh(char16_t u) {
    return u >= 0xD800 && u < 0xDC00;
}
bool isLow(char16_t u) {
    return u >= 0xDC00 && u < 0xE000;
}
bool isEscapedByte(char16_t u) {
    return u >= 0xDC00 && u <= 0xDCFF;
}

// Length of the surrogate pair starting at i, or 0.
qsizetype pairAt(const char16_t* s, qsizetype n, qsizetype i) {
    return isHigh(s[i]) && i + 1 < n && isLow(s[i + 1]) ? 2 : 0;
}

// Four units in one word, the first in the low bits whatever the machine's order.
inline std::uint64_t loadUnits(const char16_t* s) {
    std::uint64_t w;
    std::memcpy(&w, s, 8);
    if constexpr (std::endian::native == std::endian::big) {
        w = w >> 48 | (w >> 16 & 0xFFFF0000ULL) | (w << 16 & 0xFFFF00000000ULL) | w << 48;
    }
    return w;
}

// Stores the low bytes of v, the lowest first; the caller keeps only some.
inline void storeLittle32(std::uint8_t* out, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::big) {
        v = __builtin_bswap32(v);
    }
    std::memcpy(out, &v, 4);
}

constexpr std::uint64_t kUnitOnes = 0x0001000100010001ULL;
constexpr std::uint64_t kUnitHighs = 0x8000800080008000ULL;

inline bool allAscii(std::uint64_t w) {
    return (w & 0xFF80FF80FF80FF80ULL) == 0;
}

inline bool hasZeroUnit(std::uint64_t v) {
    return ((v - kUnitOnes) & ~v & kUnitHighs) != 0;
}

inline bool hasSurrogate(std::uint64_t w) {
    return hasZeroUnit((w & 0xF800F800F800F800ULL) ^ 0xD800D800D800D800ULL);
}

inline void storeLittle64(std::uint8_t* out, std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::big) {
        v = __builtin_bswap64(v);
    }
    std::memcpy(out, &v, 8);
}

// The four ASCII units of w as four bytes.
inline void narrowAscii(std::uint64_t w, std::uint8_t* out) {
    std::uint64_t x = (w | w >> 8) & 0x0000FFFF0000FFFFULL;
    x = (x | x >> 16) & 0xFFFFFFFFULL;
    storeLittle32(out, static_cast<std::uint32_t>(x));
}

// One unit that is not a surrogate, as UTF-8, chosen without a branch; four
// bytes are stored and the length returned.
inline std::size_t putUtf8Unit(std::uint32_t u, std::uint8_t* out) {
    const std::uint32_t two = (0xC0 | u >> 6) | (0x80 | (u & 0x3F)) << 8;
    const std::uint32_t three =
        (0xE0 | u >> 12) | (0x80 | (u >> 6 & 0x3F)) << 8 | (0x80 | (u & 0x3F)) << 16;
    storeLittle32(out, u < 0x80 ? u : u < 0x800 ? two : three);
    return 1 + static_cast<std::size_t>(u >= 0x80) + static_cast<std::size_t>(u >= 0x800);
}

// The three UTF-8 bytes of a unit from U+0800 up, the first in the low byte.
inline std::uint32_t threeBytes(std::uint64_t u) {
    return 0x8080E0u |
           static_cast<std::uint32_t>(u >> 12 | (u << 2 & 0x3F00) | (u << 16 & 0x3F0000));
}

// Four units that all take three bytes (no surrogate among them): twelve
// bytes at fixed places.
inline void putThreeByteUnits(std::uint64_t w, std::uint8_t* out) {
    const std::uint32_t a = threeBytes(w & 0xFFFF);
    const std::uint32_t b = threeBytes(w >> 16 & 0xFFFF);
    const std::uint32_t c = threeBytes(w >> 32 & 0xFFFF);
    const std::uint32_t d = threeBytes(w >> 48);
    storeLittle64(out, a | std::uint64_t{b} << 24 | std::uint64_t{c} << 48);
    storeLittle32(out + 8, c >> 16 | d << 8);
}

// A table code of the Japanese codes: one byte below 0x100, else two, the lead first.
inline std::size_t putTableCode(std::uint32_t code, std::uint8_t* out) {
    storeLittle32(out, code < 0x100 ? code : (code >> 8 | (code & 0xFF) << 8));
    return 1 + static_cast<std::size_t>(code >= 0x100);
}

// Shared loop of the two table-driven Japanese writers.  codeOf returns the
// table code of a BMP unit (kNoCode for surrogates and what the code lacks).
template <typename CodeOf>
std::size_t encodeJapanese(const char16_t* s, std::size_t n, std::uint8_t* out, CodeOf codeOf,
                           qsizetype& substituted) {
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < n) {
        // Four units from one read, looked up together so that the look-ups do
        // not wait on one another; anything the tables lack leaves the run.
        while (i + 4 <= n) {
            if (i + 8 <= n) {
                const std::uint64_t w0 = loadUnits(s + i);
                const std::uint64_t w1 = loadUnits(s + i + 4);
                if (allAscii(w0 | w1)) {
                    narrowAscii(w0, out + o);
                    narrowAscii(w1, out + o + 4);
                    i += 8;
                    o += 8;
                    continue;
                }
            }
            const std::uint64_t w = loadUnits(s + i);
            const std::uint32_t c0 = codeOf(static_cast<char16_t>(w));
            const std::uint32_t c1 = codeOf(static_cast<char16_t>(w >> 16));
            const std::uint32_t c2 = codeOf(static_cast<char16_t>(w >> 32));
            const std::uint32_t c3 = codeOf(static_cast<char16_t>(w >> 48));
            if ((c0 == JapaneseTables::kNoCode) | (c1 == JapaneseTables::kNoCode) |
                (c2 == JapaneseTables::kNoCode) | (c3 == JapaneseTables::kNoCode)) {
                break;
            }
            o += putTableCode(c0, out + o);
            o += putTableCode(c1, out + o);
            o += putTableCode(c2, out + o);
            o += putTableCode(c3, out + o);
            i += 4;
        }
        if (i >= n) {
            break;
        }
        const char16_t u = s[i];
        const std::uint16_t code = codeOf(u);
        if (code != JapaneseTables::kNoCode) {
            o += putTableCode(code, out + o);
        } else if (pairAt(s, static_cast<qsizetype>(n), static_cast<qsizetype>(i)) == 2) {
            out[o++] = '?'; // neither code holds characters beyond the BMP
            ++substituted;
            ++i;
        } else if (isEscapedByte(u)) {
            out[o++] = static_cast<std::uint8_t>(u & 0xFF);
        } else {
            out[o++] = '?';
            ++substituted;
        }
        ++i;
    }
    return o;
}

std::size_t encodeUtf8(const char16_t* s, std::size_t n, std::uint8_t* out,
                       qsizetype& substituted) {
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < n) {
        // Four units from one read: all ASCII, all three bytes (kana and
        // kanji), or any mix of one to three bytes without branching on which;
        // surrogates leave the run.
        while (i + 4 <= n) {
            const std::uint64_t w = loadUnits(s + i);
            if (allAscii(w)) {
                narrowAscii(w, out + o);
                i += 4;
                o += 4;
                continue;
            }
            if (hasSurrogate(w)) {
                break;
            }
            if (!hasZeroUnit(w & 0xF800F800F800F800ULL)) { // kana and kanji
                putThreeByteUnits(w, out + o);
                i += 4;
                o += 12;
                continue;
            }
            o += putUtf8Unit(static_cast<std::uint32_t>(w & 0xFFFF), out + o);
            o += putUtf8Unit(static_cast<std::uint32_t>(w >> 16 & 0xFFFF), out + o);
            o += putUtf8Unit(static_cast<std::uint32_t>(w >> 32 & 0xFFFF), out + o);
            o += putUtf8Unit(static_cast<std::uint32_t>(w >> 48), out + o);
            i += 4;
        }
        if (i >= n) {
            break;
        }
        const char16_t u = s[i];
        if (!isHigh(u) && !isLow(u)) {
            o += putUtf8Unit(u, out + o);
        } else if (pairAt(s, static_cast<qsizetype>(n), static_cast<qsizetype>(i)) == 2) {
            const std::uint32_t c = 0x10000 + ((u - 0xD800u) << 10) + (s[i + 1] - 0xDC00u);
            storeLittle32(out + o, (0xF0 | c >> 18) | (0x80 | (c >> 12 & 0x3F)) << 8 |
                                       (0x80 | (c >> 6 & 0x3F)) << 16 | (0x80 | (c & 0x3F)) << 24);
            o += 4;
            ++i;
        } else if (isEscapedByte(u)) {
            out[o++] = static_cast<std::uint8_t>(u & 0xFF);
        } else {
            o += putUtf8Unit(0xFFFD, out + o);
            ++substituted;
        }
        ++i;
    }
    return o;
}

std::size_t encodeUtf16(const char16_t* s, std::size_t n, std::uint8_t* out, bool big) {
    if (big == (std::endian::native == std::endian::big)) {
        if (n > 0) { // an empty view may carry no storage at all
            std::memcpy(out, s, 2 * n);
        }
        return 2 * n;
    }
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t w;
        std::memcpy(&w, s + i, 8);
        w = (w & 0x00FF00FF00FF00FFULL) << 8 | (w >> 8 & 0x00FF00FF00FF00FFULL);
        std::memcpy(out + 2 * i, &w, 8);
    }
    for (; i < n; ++i) {
        out[2 * i] = static_cast<std::uint8_t>(s[i] >> (big ? 8 : 0));
        out[2 * i + 1] = static_cast<std::uint8_t>(s[i] >> (big ? 0 : 8));
    }
    return 2 * n;
}

QByteArray encodeIconv(QStringView text, int code, qsizetype& substituted) {
    const char* name = IconvNameOf(code);
    iconv_t cd = name != nullptr ? iconv_open(name, "UTF-16LE") : reinterpret_cast<iconv_t>(-1);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw ECodePageError("文字コード " + std::to_string(code) + " では保存できません。");
    }
    const QByteArray units = EncodeText(text, 1200);
    QByteArray bytes;
    char buffer[16384];
    qsizetype i = 0;
    while (i < units.size()) {
        char* inp = const_cast<char*>(units.constData()) + i;
        std::size_t inLeft = static_cast<std::size_t>(units.size() - i);
        char* outp = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        const int err = r == static_cast<std::size_t>(-1) ? errno : 0;
        bytes.append(buffer, static_cast<qsizetype>(sizeof buffer - outLeft));
        i = units.size() - static_cast<qsizetype>(inLeft);
        if (err == 0 || err == E2BIG) {
            continue;
        }
        const qsizetype unit = i / 2;
        const char16_t u = text[unit].unicode();
        const qsizetype pair =
            pairAt(reinterpret_cast<const char16_t*>(text.utf16()), text.size(), unit);
        if (pair == 0 && isEscapedByte(u)) {
            bytes.append(static_cast<char>(u & 0xFF));
        } else {
            bytes.append('?');
            ++substituted;
        }
        i += 2 * (pair == 2 ? 2 : 1);
    }
    char* outp = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outp, &outLeft);
    bytes.append(buffer, static_cast<qsizetype>(sizeof buffer - outLeft));
    iconv_close(cd);
    return bytes;
}

} // namespace

TextEncoder::TextEncoder(int code) : kind_(WriterCodeOf(code).form) {}

std::size_t TextEncoder::byteBound(std::size_t units) const {
    // Three bytes a unit at most (a pair takes four for two), plus the slack
    // of a word store past the last byte.
    return (kind_ == CodeForm::Utf8 ? 3 : 2) * units + 4;
}

std::size_t TextEncoder::cutPoint(const char16_t* s, std::size_t n, std::size_t at) {
    if (at >= n) {
        return n;
    }
    return at > 0 && isHigh(s[at - 1]) && isLow(s[at]) ? at + 1 : at;
}

bool TextEncoder::copiesUnits() const {
    return kind_ ==
           (std::endian::native == std::endian::big ? CodeForm::Utf16Be : CodeForm::Utf16Le);
}

std::size_t TextEncoder::encode(const char16_t* s, std::size_t n, char* bytes,
                                qsizetype& substituted) const {
    auto* out = reinterpret_cast<std::uint8_t*>(bytes);
    const JapaneseTables& t = JapaneseTables::instance();
    switch (kind_) {
    case CodeForm::ShiftJis:
        return encodeJapanese(
            s, n, out, [&t](char16_t u) { return t.cp932Code(u); }, substituted);
    case CodeForm::EucJp:
        return encodeJapanese(
            s, n, out, [&t](char16_t u) { return t.eucCode(u); }, substituted);
    case CodeForm::Utf8:
        return encodeUtf8(s, n, out, substituted);
    case CodeForm::Utf16Le:
    case CodeForm::Utf16Be:
        break;
    }
    return encodeUtf16(s, n, out, kind_ == CodeForm::Utf16Be);
}

QByteArray EncodeText(QStringView text, int code, QByteArrayView mark, qsizetype* substituted) {
    qsizetype count = 0;
    QByteArray bytes;
    if (HasDocumentWriter(code)) {
        const TextEncoder encoder(code);
        const auto n = static_cast<std::size_t>(text.size());
        bytes.resize(mark.size() + static_cast<qsizetype>(encoder.byteBound(n)));
        if (!mark.isEmpty()) {
            std::memcpy(bytes.data(), mark.data(), static_cast<std::size_t>(mark.size()));
        }
        const std::size_t written = encoder.encode(reinterpret_cast<const char16_t*>(text.utf16()),
                                                   n, bytes.data() + mark.size(), count);
        const qsizetype size = mark.size() + static_cast<qsizetype>(written);
        bytes.resize(size);
        if (bytes.capacity() - size > size / 8 + 4096) {
            bytes.squeeze();
        }
    } else {
        bytes = encodeIconv(text, code, count);
        bytes.prepend(mark);
    }
    if (substituted != nullptr) {
        *substituted = count;
    }
    return bytes;
}

} // namespace quillo::codepage
