#include "app/codepage/TextEncoder.h"

#include "app/codepage/CodePageNames.h"
#include "app/codepage/JapaneseTables.h"
#include "app/codepage/codepage.h"

#include <cerrno>
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

void putMark(std::uint8_t* out, QByteArrayView mark) {
    if (!mark.isEmpty()) {
        std::memcpy(out, mark.data(), static_cast<std::size_t>(mark.size()));
    }
}

// Length of the surrogate pair starting at i, or 0.
qsizetype pairAt(const char16_t* s, qsizetype n, qsizetype i) {
    return isHigh(s[i]) && i + 1 < n && isLow(s[i + 1]) ? 2 : 0;
}

// Shared loop of the two table-driven Japanese writers.  codeOf returns the
// table code of a BMP unit; twoBytes tells how to write it.
template <typename CodeOf>
QByteArray encodeJapanese(QStringView text, QByteArrayView mark, CodeOf codeOf,
                          qsizetype& substituted) {
    const auto* s = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    QByteArray bytes;
    bytes.resize(mark.size() + 2 * n);
    auto* out = reinterpret_cast<std::uint8_t*>(bytes.data());
    putMark(out, mark);
    qsizetype o = mark.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (u < 0x80) {
            out[o++] = static_cast<std::uint8_t>(u);
            continue;
        }
        if (isHigh(u) || isLow(u)) {
            if (pairAt(s, n, i) == 2) {
                ++i; // neither code holds characters beyond the BMP
            } else if (isEscapedByte(u)) {
                out[o++] = static_cast<std::uint8_t>(u & 0xFF);
                continue;
            }
            out[o++] = '?';
            ++substituted;
            continue;
        }
        const std::uint16_t code = codeOf(u);
        if (code == JapaneseTables::kNoCode) {
            out[o++] = '?';
            ++substituted;
        } else if (code < 0x100) {
            out[o++] = static_cast<std::uint8_t>(code);
        } else {
            out[o++] = static_cast<std::uint8_t>(code >> 8);
            out[o++] = static_cast<std::uint8_t>(code & 0xFF);
        }
    }
    bytes.resize(o);
    if (bytes.capacity() - o > o / 8 + 4096) {
        bytes.squeeze();
    }
    return bytes;
}

QByteArray encodeUtf8(QStringView text, QByteArrayView mark, qsizetype& substituted) {
    const auto* s = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    QByteArray bytes;
    bytes.resize(mark.size() + 3 * n);
    auto* out = reinterpret_cast<std::uint8_t*>(bytes.data());
    putMark(out, mark);
    qsizetype o = mark.size();
    for (qsizetype i = 0; i < n; ++i) {
        std::uint32_t c = s[i];
        if (c < 0x80) {
            out[o++] = static_cast<std::uint8_t>(c);
            continue;
        }
        if (isHigh(s[i]) || isLow(s[i])) {
            if (pairAt(s, n, i) == 2) {
                c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00u);
                ++i;
            } else if (isEscapedByte(s[i])) {
                out[o++] = static_cast<std::uint8_t>(c & 0xFF);
                continue;
            } else {
                c = 0xFFFD;
                ++substituted;
            }
        }
        if (c < 0x800) {
            out[o++] = static_cast<std::uint8_t>(0xC0 | c >> 6);
        } else if (c < 0x10000) {
            out[o++] = static_cast<std::uint8_t>(0xE0 | c >> 12);
            out[o++] = static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F));
        } else {
            out[o++] = static_cast<std::uint8_t>(0xF0 | c >> 18);
            out[o++] = static_cast<std::uint8_t>(0x80 | (c >> 12 & 0x3F));
            out[o++] = static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F));
        }
        out[o++] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    }
    bytes.resize(o);
    if (bytes.capacity() - o > o / 8 + 4096) {
        bytes.squeeze();
    }
    return bytes;
}

QByteArray encodeUtf16(QStringView text, QByteArrayView mark, bool big) {
    QByteArray bytes;
    bytes.resize(mark.size() + 2 * text.size());
    const auto* s = reinterpret_cast<const char16_t*>(text.utf16());
    putMark(reinterpret_cast<std::uint8_t*>(bytes.data()), mark);
    auto* out = reinterpret_cast<std::uint8_t*>(bytes.data()) + mark.size();
    if (!big && QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        if (!text.isEmpty()) { // an empty view may carry no storage at all
            std::memcpy(out, s, static_cast<std::size_t>(2 * text.size()));
        }
        return bytes;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::uint8_t hi = static_cast<std::uint8_t>(s[i] >> 8);
        const std::uint8_t lo = static_cast<std::uint8_t>(s[i] & 0xFF);
        out[2 * i] = big ? hi : lo;
        out[2 * i + 1] = big ? lo : hi;
    }
    return bytes;
}

QByteArray encodeIconv(QStringView text, int code, qsizetype& substituted) {
    const char* name = IconvNameOf(code);
    iconv_t cd = name != nullptr ? iconv_open(name, "UTF-16LE") : reinterpret_cast<iconv_t>(-1);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw ECodePageError("文字コード " + std::to_string(code) + " では保存できません。");
    }
    const QByteArray units = encodeUtf16(text, {}, false);
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

QByteArray EncodeText(QStringView text, int code, QByteArrayView mark, qsizetype* substituted) {
    qsizetype count = 0;
    QByteArray bytes;
    const JapaneseTables& t = JapaneseTables::instance();
    switch (code) {
    case 0:
    case 932:
        bytes = encodeJapanese(
            text, mark, [&t](char16_t u) { return t.cp932Code(u); }, count);
        break;
    case 51932:
        bytes = encodeJapanese(
            text, mark, [&t](char16_t u) { return t.eucCode(u); }, count);
        break;
    case 65001:
        bytes = encodeUtf8(text, mark, count);
        break;
    case 1200:
    case 1201:
        bytes = encodeUtf16(text, mark, code == 1201);
        break;
    default:
        bytes = encodeIconv(text, code, count);
        bytes.prepend(mark);
    }
    if (substituted != nullptr) {
        *substituted = count;
    }
    return bytes;
}

} // namespace quillo::codepage
