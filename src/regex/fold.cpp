// Folding by the case, width and kana options.
#include "regex/fold.h"

#include "regex/text_services.h"

namespace {

// Full-width katakana for U+FF61..U+FF9F; voiced/semi-voiced forms are derived below.
const char16_t kHalfKana[63] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

char32_t VoicedForm(char16_t half) {
    if (half == 0xFF73) {
        return 0x30F4;
    }
    if ((half >= 0xFF76 && half <= 0xFF84) || (half >= 0xFF8A && half <= 0xFF8E)) {
        return kHalfKana[half - 0xFF61] + 1;
    }
    return 0;
}

char32_t SemiVoicedForm(char16_t half) {
    if (half >= 0xFF8A && half <= 0xFF8E) {
        return kHalfKana[half - 0xFF61] + 2;
    }
    return 0;
}

} // namespace

char32_t FoldChar(const char16_t* p, const char16_t* end, TRECompareOptions options, int& len) {
    char32_t c = ReadCodePoint(p, end, len);
    if (HasCompareOption(options, coIgnoreCase)) {
        c = CharUpper(c);
    }
    if (HasCompareOption(options, coIgnoreWidth)) {
        if (c >= 0x20 && c <= 0x7E) {
            c = c == 0x20 ? 0x3000 : c == 0x5C ? 0xFFE5 : c + 0xFEE0;
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            const auto half = static_cast<char16_t>(c);
            c = kHalfKana[half - 0xFF61];
            if (len == 1 && p + 1 < end) {
                const char32_t voiced = p[1] == 0xFF9E   ? VoicedForm(half)
                                        : p[1] == 0xFF9F ? SemiVoicedForm(half)
                                                         : 0;
                if (voiced != 0) {
                    c = voiced;
                    len = 2;
                }
            }
        }
    }
    if (HasCompareOption(options, coIgnoreKana)) {
        if (c >= 0x3041 && c <= 0x3094) {
            c += 0x60;
        } else if (c == 0x309D || c == 0x309E) {
            c += 0x60;
        }
    }
    return c;
}

bool CompareText(const char16_t* text, const char16_t* textEnd, const char16_t* pattern,
                 int patternLen, TRECompareOptions options, int& textLen) {
    const auto available = textEnd - text;
    if (HasCompareOption(options, coIgnoreWidth) || HasCompareOption(options, coIgnoreKana)) {
        const char16_t* t = text;
        const char16_t* p = pattern;
        const char16_t* pEnd = pattern + patternLen;
        while (p < pEnd) {
            if (t >= textEnd) {
                return false;
            }
            int lt = 0;
            int lp = 0;
            const char32_t ct = FoldChar(t, textEnd, options, lt);
            const char32_t cp = FoldChar(p, pEnd, options, lp);
            if (ct != cp) {
                return false;
            }
            t += lt;
            p += lp;
        }
        textLen = static_cast<int>(t - text);
        return true;
    }
    if (available < patternLen) {
        return false;
    }
    bool equal = true;
    if (HasCompareOption(options, coIgnoreCase)) {
        equal = SameTextIgnoreCase(text, pattern, static_cast<std::size_t>(patternLen));
    } else {
        for (int i = 0; i < patternLen; ++i) {
            if (text[i] != pattern[i]) {
                equal = false;
                break;
            }
        }
    }
    if (equal) {
        textLen = patternLen;
    }
    return equal;
}
