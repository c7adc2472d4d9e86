// Exceptions and the small text helpers their messages need.
#include "regex/errors.h"

#include "regex/text_services.h"

ERxRegExp::ERxRegExp(std::u16string message)
    : FMessage(std::move(message)), FWhat(ToUtf8(FMessage)) {}

std::u16string FormatMessage(std::u16string_view format, std::u16string_view arg) {
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] == u'%' && (format[i + 1] == u's' || format[i + 1] == u'd')) {
            std::u16string out(format.substr(0, i));
            out += arg;
            out += format.substr(i + 2);
            return out;
        }
    }
    return std::u16string(format);
}

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    const char16_t* p = s.data();
    const char16_t* end = p + s.size();
    while (p < end) {
        int len = 0;
        const char32_t c = ReadCodePoint(p, end, len);
        p += len;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view s) {
    std::u16string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t c = b;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            c = b & 0x07;
        } else if (b >= 0x80) {
            extra = -1;
        }
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            ok = (t & 0xC0) == 0x80;
            c = (c << 6) | (t & 0x3F);
        }
        if (!ok || c > 0x10FFFF) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        AppendCodePoint(out, c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}
