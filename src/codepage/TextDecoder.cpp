#include "codepage/TextDecoder.h"

#include "codepage/CodePageNames.h"
#include "codepage/DocumentCodes.h"
#include "codepage/JapaneseTables.h"
#include "codepage/codepage.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace quillo::codepage {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

bool hasByte(std::uint64_t w, std::uint8_t c) {
    const std::uint64_t v = w ^ (kOnes * c);
    return ((v - kOnes) & ~v & kHighs) != 0;
}

// The same for the four 16-bit units of a word.
bool hasUnit(std::uint64_t w, char16_t c) {
    constexpr std::uint64_t ones = 0x0001000100010001ULL;
    constexpr std::uint64_t highs = 0x8000800080008000ULL;
    const std::uint64_t v = w ^ (ones * c);
    return ((v - ones) & ~v & highs) != 0;
}

// Copies a run of plain ASCII (no CR, no LF when line breaks are rewritten)
// eight bytes at a time.
template <bool Crlf>
inline void copyAsciiRun(const std::uint8_t* in, std::size_t n, std::size_t& i, char16_t* out,
                         std::size_t& o) {
    while (i + 8 <= n) {
        std::uint64_t w;
        std::memcpy(&w, in + i, 8);
        if ((w & kHighs) != 0) {
            return;
        }
        if constexpr (Crlf) {
            if (hasByte(w, '\n') || hasByte(w, '\r')) {
                return;
            }
        }
        for (int k = 0; k < 8; ++k) {
            out[o + k] = in[i + k];
        }
        i += 8;
        o += 8;
    }
}

// Eight bytes, the first in the low byte whatever the machine's order.
inline std::uint64_t loadLittle64(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    if constexpr (std::endian::native == std::endian::big) {
        w = __builtin_bswap64(w);
    }
    return w;
}

// Eight ASCII bytes with no line break to rewrite.
template <bool Crlf> inline bool isPlainAscii(std::uint64_t w) {
    return (w & kHighs) == 0 && !(Crlf && (hasByte(w, '\n') || hasByte(w, '\r')));
}

// The eight bytes of w, first the low one, as eight units.
inline void widenAscii(std::uint64_t w, char16_t* out) {
    for (int k = 0; k < 8; ++k) {
        out[k] = static_cast<char16_t>(w >> (8 * k) & 0xFF);
    }
}

// One ASCII byte, with CR and LF rewritten to CR LF.  prevCr tells whether the
// byte before was a CR, which already wrote the LF.
template <bool Crlf>
inline void putAscii(std::uint8_t b, bool prevCr, char16_t* out, std::size_t& o) {
    if constexpr (Crlf) {
        if (b == '\r' || b == '\n') {
            if (b == '\n' && prevCr) {
                return;
            }
            out[o++] = u'\r';
            out[o++] = u'\n';
            return;
        }
    }
    out[o++] = b;
}

// CP932's single bytes with CR and LF taken out, so that the plain run stops
// at line breaks.
struct Cp932Run {
    std::array<char16_t, 256> plain{};

    static const Cp932Run& instance() {
        static const Cp932Run run;
        return run;
    }

private:
    Cp932Run() {
        const JapaneseTables& t = JapaneseTables::instance();
        for (unsigned b = 0; b < 256; ++b) {
            plain[b] = t.cp932Single(static_cast<std::uint8_t>(b));
        }
        plain['\r'] = JapaneseTables::kNone;
        plain['\n'] = JapaneseTables::kNone;
    }
};

std::size_t countBreakBytes(const char* in, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        count += (in[i] == '\n') | (in[i] == '\r');
    }
    return count;
}

} // namespace

TextDecoder::TextDecoder(int code, bool crlf) : crlf_(crlf) {
    if (const DocumentCode* entry = FindDocumentCode(code)) {
        switch (entry->form) {
        case CodeForm::ShiftJis:
            kind_ = Kind::Cp932;
            return;
        case CodeForm::EucJp:
            kind_ = Kind::Euc;
            return;
        case CodeForm::Utf8:
            kind_ = Kind::Utf8;
            return;
        case CodeForm::Utf16Le:
            kind_ = Kind::Utf16Le;
            return;
        case CodeForm::Utf16Be:
            kind_ = Kind::Utf16Be;
            return;
        }
    }
    kind_ = Kind::Iconv;
    const char* name = IconvNameOf(code);
    iconv_t cd = name != nullptr ? iconv_open("UTF-16LE", name) : reinterpret_cast<iconv_t>(-1);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw ECodePageError("文字コード " + std::to_string(code) +
                             " のファイルは読み込めません。");
    }
    iconv_ = cd;
}

TextDecoder::~TextDecoder() {
    if (iconv_ != nullptr) {
        iconv_close(static_cast<iconv_t>(iconv_));
    }
}

std::size_t TextDecoder::maxUnits(const char* in, std::size_t n) const {
    switch (kind_) {
    case Kind::Utf16Le:
    case Kind::Utf16Be: {
        std::size_t units = (n + 1) / 2;
        if (crlf_) {
            const std::size_t low = kind_ == Kind::Utf16Le ? 0 : 1;
            for (std::size_t i = 0; i + 1 < n; i += 2) {
                const char a = in[i + low];
                units += (in[i + 1 - low] == 0) & ((a == '\n') | (a == '\r'));
            }
        }
        return units;
    }
    case Kind::Iconv:
        return 2 * n + 2; // a byte gives at most a base and a combining mark
    default:
        return n + (crlf_ ? countBreakBytes(in, n) : 0);
    }
}

std::size_t TextDecoder::unitBound(std::size_t n) const {
    switch (kind_) {
    case Kind::Utf16Le:
    case Kind::Utf16Be:
        return n + 1; // (n + 1) / 2 units, each at most doubled by a break
    default:
        return 2 * n + 2;
    }
}

std::size_t TextDecoder::cutPoint(const char* in, std::size_t n, std::size_t from) const {
    const auto* b = reinterpret_cast<const std::uint8_t*>(in);
    // Whether [0, p) ends where a character ends and not on a CR.
    auto fits = [&](std::size_t p) {
        switch (kind_) {
        case Kind::Cp932:
        case Kind::Euc:
            // Below 0x40 a byte is neither a lead nor a trail byte of either code.
            return b[p - 1] < 0x40 && b[p - 1] != '\r';
        case Kind::Utf8:
            // A byte that continues no sequence ends any sequence cut before it.
            return (b[p] & 0xC0) != 0x80 && b[p - 1] != '\r';
        case Kind::Utf16Le:
            return p % 2 == 0 && !(b[p - 2] == '\r' && b[p - 1] == 0);
        case Kind::Utf16Be:
            return p % 2 == 0 && !(b[p - 2] == 0 && b[p - 1] == '\r');
        case Kind::Iconv:
            break;
        }
        return false;
    };
    if (kind_ == Kind::Iconv || n < 2) {
        return 0;
    }
    from = std::clamp<std::size_t>(from, 1, n - 1);
    for (std::size_t p = from; p < n; ++p) {
        if (fits(p)) {
            return p;
        }
    }
    for (std::size_t p = from - 1; p > 0; --p) {
        if (fits(p)) {
            return p;
        }
    }
    return 0;
}

TextDecoder::Step TextDecoder::decode(const char* in, std::size_t n, bool final, char16_t* out) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(in);
    switch (kind_) {
    case Kind::Cp932:
        return crlf_ ? decodeCp932<true>(bytes, n, final, out)
                     : decodeCp932<false>(bytes, n, final, out);
    case Kind::Euc:
        return crlf_ ? decodeEuc<true>(bytes, n, final, out)
                     : decodeEuc<false>(bytes, n, final, out);
    case Kind::Utf8:
        return crlf_ ? decodeUtf8<true>(bytes, n, final, out)
                     : decodeUtf8<false>(bytes, n, final, out);
    case Kind::Utf16Le:
        return crlf_ ? decodeUtf16<true, false>(bytes, n, final, out)
                     : decodeUtf16<false, false>(bytes, n, final, out);
    case Kind::Utf16Be:
        return crlf_ ? decodeUtf16<true, true>(bytes, n, final, out)
                     : decodeUtf16<false, true>(bytes, n, final, out);
    case Kind::Iconv:
        break;
    }
    return decodeIconv(bytes, n, final, out);
}

QString TextDecoder::decodeAll(const char* in, std::size_t n) {
    QString text;
    // Pages of the bound that the text does not reach are never touched.
    text.resize(static_cast<qsizetype>(unitBound(n)));
    const Step step = decode(in, n, true, reinterpret_cast<char16_t*>(text.data()));
    FitDecodedText(text, step.produced);
    return text;
}

void FitDecodedText(QString& text, std::size_t units) {
    const auto size = static_cast<qsizetype>(units);
    text.resize(size);
    if (text.capacity() - size > size / 8 + 4096) {
        text.squeeze(); // shrinks in place (realloc), no second copy of the text
    }
}

template <bool Crlf>
TextDecoder::Step TextDecoder::decodeCp932(const std::uint8_t* in, std::size_t n, bool final,
                                           char16_t* out) {
    const JapaneseTables& t = JapaneseTables::instance();
    const Cp932Run& run = Cp932Run::instance();
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < n) {
        // Characters that decode plainly, up to three from one eight-byte read:
        // where the next character starts is worked out in a register, so the
        // table look-ups do not wait on one another.  Anything else leaves the run.
        while (i + 8 <= n) {
            std::uint64_t w = loadLittle64(in + i);
            if (isPlainAscii<Crlf>(w)) { // logs and CSV files are mostly ASCII
                widenAscii(w, out + o);
                i += 8;
                o += 8;
                continue;
            }
            std::size_t used = 0;
            int k = 0;
            for (; k < 3; ++k) {
                const auto lead = static_cast<std::uint8_t>(w);
                const auto trail = static_cast<std::uint8_t>(w >> 8);
                const bool isLead = static_cast<std::uint8_t>(lead - 0x81) < 0x1F ||
                                    static_cast<std::uint8_t>(lead - 0xE0) < 0x1D;
                const char16_t single = Crlf ? run.plain[lead] : t.cp932Single(lead);
                const char16_t pair = t.cp932Double(static_cast<std::uint16_t>(lead << 8 | trail));
                const char16_t u = isLead ? pair : single;
                if (u == JapaneseTables::kNone) {
                    break;
                }
                out[o++] = u;
                used += 1 + static_cast<std::size_t>(isLead);
                w >>= isLead ? 16 : 8;
            }
            i += used;
            if (k < 3) {
                break;
            }
        }
        if (i >= n) {
            break;
        }
        const std::uint8_t b = in[i];
        if (b < 0x80) {
            putAscii<Crlf>(b, i > 0 ? in[i - 1] == '\r' : lastWasCr_, out, o);
            ++i;
            copyAsciiRun<Crlf>(in, n, i, out, o);
            continue;
        }
        if (t.cp932Lead(b)) {
            if (i + 1 >= n) {
                if (!final) {
                    break;
                }
            } else {
                const char16_t u = t.cp932Double(static_cast<std::uint16_t>(b << 8 | in[i + 1]));
                if (u != JapaneseTables::kNone) {
                    out[o++] = u;
                    i += 2;
                    continue;
                }
            }
        } else {
            const char16_t u = t.cp932Single(b);
            if (u != JapaneseTables::kNone) {
                out[o++] = u;
                ++i;
                continue;
            }
        }
        out[o++] = static_cast<char16_t>(0xDC00 | b);
        ++bad_;
        ++i;
    }
    if (i > 0) {
        lastWasCr_ = in[i - 1] == '\r';
    }
    return {i, o};
}

template <bool Crlf>
TextDecoder::Step TextDecoder::decodeEuc(const std::uint8_t* in, std::size_t n, bool final,
                                         char16_t* out) {
    const JapaneseTables& t = JapaneseTables::instance();
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < n) {
        const std::uint8_t b = in[i];
        if (b < 0x80) {
            putAscii<Crlf>(b, i > 0 ? in[i - 1] == '\r' : lastWasCr_, out, o);
            ++i;
            copyAsciiRun<Crlf>(in, n, i, out, o);
            continue;
        }
        if (b == 0x8E || (b >= 0xA1 && b <= 0xFE)) {
            if (i + 1 >= n) {
                if (!final) {
                    break;
                }
            } else {
                const std::uint8_t c = in[i + 1];
                char16_t u = JapaneseTables::kNone;
                if (b == 0x8E) {
                    if (c >= 0xA1 && c <= 0xDF) {
                        u = static_cast<char16_t>(0xFF61 + (c - 0xA1));
                    }
                } else {
                    u = t.eucDouble(static_cast<std::uint16_t>(b << 8 | c));
                }
                if (u != JapaneseTables::kNone) {
                    out[o++] = u;
                    i += 2;
                    continue;
                }
            }
        }
        out[o++] = static_cast<char16_t>(0xDC00 | b);
        ++bad_;
        ++i;
    }
    if (i > 0) {
        lastWasCr_ = in[i - 1] == '\r';
    }
    return {i, o};
}

template <bool Crlf>
TextDecoder::Step TextDecoder::decodeUtf8(const std::uint8_t* in, std::size_t n, bool final,
                                          char16_t* out) {
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < n) {
        // ASCII other than line breaks and three-byte sequences (all of kana
        // and kanji), up to two from one eight-byte read, without branching on
        // which; anything else leaves the run.
        while (i + 8 <= n) {
            std::uint64_t w = loadLittle64(in + i);
            if (isPlainAscii<Crlf>(w)) { // logs and CSV files are mostly ASCII
                widenAscii(w, out + o);
                i += 8;
                o += 8;
                continue;
            }
            std::size_t used = 0;
            int k = 0;
            for (; k < 2; ++k) {
                const auto x = static_cast<std::uint32_t>(w);
                const std::uint32_t cp = (x & 0x0F) << 12 | (x & 0x3F00) >> 2 | (x >> 16 & 0x3F);
                const bool three =
                    (x & 0xC0C0F0) == 0x8080E0 && cp >= 0x800 && (cp & 0xF800) != 0xD800;
                const std::uint32_t b = x & 0xFF;
                const bool ascii = b < 0x80 && (!Crlf || (b != '\r' && b != '\n'));
                if (!(three || ascii)) {
                    break;
                }
                out[o++] = static_cast<char16_t>(three ? cp : b);
                used += three ? 3 : 1;
                w >>= three ? 24 : 8;
            }
            i += used;
            if (k < 2) {
                break;
            }
        }
        if (i >= n) {
            break;
        }
        const std::uint8_t b = in[i];
        if (b < 0x80) {
            putAscii<Crlf>(b, i > 0 ? in[i - 1] == '\r' : lastWasCr_, out, o);
            ++i;
            copyAsciiRun<Crlf>(in, n, i, out, o);
            continue;
        }
        int need = 0;
        std::uint8_t lo = 0x80;
        std::uint8_t hi = 0xBF;
        std::uint32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            lo = b == 0xE0 ? 0xA0 : 0x80;
            hi = b == 0xED ? 0x9F : 0xBF; // no encoded surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            lo = b == 0xF0 ? 0x90 : 0x80;
            hi = b == 0xF4 ? 0x8F : 0xBF;
        }
        bool ok = need > 0;
        bool cut = false;
        for (int k = 1; ok && k <= need; ++k) {
            if (i + k >= n) {
                cut = true;
                ok = false;
                break;
            }
            const std::uint8_t c = in[i + k];
            if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) {
                ok = false;
                break;
            }
            cp = cp << 6 | (c & 0x3F);
        }
        if (ok) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out[o++] = static_cast<char16_t>(0xD800 | (cp >> 10));
                out[o++] = static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
            } else {
                out[o++] = static_cast<char16_t>(cp);
            }
            i += static_cast<std::size_t>(need) + 1;
            continue;
        }
        if (cut && !final) {
            break;
        }
        out[o++] = static_cast<char16_t>(0xDC00 | b);
        ++bad_;
        ++i;
    }
    if (i > 0) {
        lastWasCr_ = in[i - 1] == '\r';
    }
    return {i, o};
}

template <bool Crlf, bool Big>
TextDecoder::Step TextDecoder::decodeUtf16(const std::uint8_t* in, std::size_t n, bool final,
                                           char16_t* out) {
    std::size_t i = 0;
    std::size_t o = 0;
    bool prevCr = lastWasCr_;
    for (; i + 1 < n; i += 2) {
        // Four units at a time while none is a line break.
        while (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, in + i, 8);
            if constexpr ((std::endian::native == std::endian::big) != Big) {
                w = (w & 0x00FF00FF00FF00FFULL) << 8 | (w >> 8 & 0x00FF00FF00FF00FFULL);
            }
            if (Crlf && (hasUnit(w, u'\n') || hasUnit(w, u'\r'))) {
                break;
            }
            std::memcpy(out + o, &w, 8);
            o += 4;
            i += 8;
            prevCr = false;
        }
        if (i + 1 >= n) {
            break;
        }
        const char16_t u = Big ? static_cast<char16_t>(in[i] << 8 | in[i + 1])
                               : static_cast<char16_t>(in[i] | in[i + 1] << 8);
        if constexpr (Crlf) {
            if (u == u'\n' && prevCr) {
                prevCr = false;
                continue;
            }
            prevCr = u == u'\r';
            if (u == u'\n' || u == u'\r') {
                out[o++] = u'\r';
                out[o++] = u'\n';
                continue;
            }
        }
        out[o++] = u;
    }
    lastWasCr_ = prevCr;
    if (i < n && final) {
        out[o++] = static_cast<char16_t>(0xDC00 | in[i]); // the odd last byte
        ++bad_;
        ++i;
        lastWasCr_ = false;
    }
    return {i, o};
}

TextDecoder::Step TextDecoder::decodeIconv(const std::uint8_t* in, std::size_t n, bool final,
                                           char16_t* out) {
    auto cd = static_cast<iconv_t>(iconv_);
    char16_t buffer[4096];
    std::size_t i = 0;
    std::size_t o = 0;
    auto flush = [&](std::size_t units) {
        for (std::size_t k = 0; k < units; ++k) {
            const char16_t u = buffer[k];
            if (crlf_) {
                if (u == u'\n' && lastWasCr_) {
                    lastWasCr_ = false;
                    continue;
                }
                lastWasCr_ = u == u'\r';
                if (u == u'\n' || u == u'\r') {
                    out[o++] = u'\r';
                    out[o++] = u'\n';
                    continue;
                }
            }
            out[o++] = u;
        }
    };
    while (i < n) {
        char* inp = reinterpret_cast<char*>(const_cast<std::uint8_t*>(in + i));
        std::size_t inLeft = n - i;
        char* outp = reinterpret_cast<char*>(buffer);
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        const int err = r == static_cast<std::size_t>(-1) ? errno : 0;
        i = n - inLeft;
        flush((sizeof buffer - outLeft) / 2);
        if (err == 0 || err == E2BIG) {
            continue;
        }
        if (err == EINVAL && !final) {
            break;
        }
        out[o++] = static_cast<char16_t>(0xDC00 | in[i]);
        lastWasCr_ = false;
        ++bad_;
        ++i;
    }
    if (final) {
        char* outp = reinterpret_cast<char*>(buffer);
        std::size_t outLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, &outp, &outLeft);
        flush((sizeof buffer - outLeft) / 2);
    }
    return {i, o};
}

} // namespace quillo::codepage
