// Literal search.
#include "regex/quick_search.h"

#include "regex/fold.h"
#include "regex/text_services.h"

#include <algorithm>

void TREQuickSearch::Clear() {
    FFindText.clear();
    FOptions = 0;
    FCompiled = false;
    FMatchP = nullptr;
    FMatchLen = 0;
}

void TREQuickSearch::SetFindText(const std::u16string& Value) {
    if (Value != FFindText) {
        FFindText = Value;
        FCompiled = false;
    }
}

void TREQuickSearch::SetOptions(TRECompareOptions Value) {
    if (Value != FOptions) {
        FOptions = Value;
        FCompiled = false;
    }
}

char32_t TREQuickSearch::FoldedFirst(const char16_t* p, const char16_t* end, int& len) const {
    // The same folding as CompareText: FoldChar with width or kana folding, otherwise the
    // case-insensitive comparison's own folding.
    if (HasCompareOption(FOptions, coIgnoreWidth) || HasCompareOption(FOptions, coIgnoreKana)) {
        return FoldChar(p, end, FOptions, len);
    }
    return CharUpper(CharLower(ReadCodePoint(p, end, len)));
}

void TREQuickSearch::Compile() {
    const auto n = static_cast<std::int32_t>(FFindText.size());
    std::fill(std::begin(FSkipTable), std::end(FSkipTable), n);
    for (std::int32_t i = 0; i + 1 < n; ++i) {
        FSkipTable[FFindText[static_cast<std::size_t>(i)] & 0xFF] = n - 1 - i;
    }
    // The first character as the folded comparison will see it.
    FFirst = 0;
    if (FOptions != 0 && !FFindText.empty()) {
        const char16_t* p = FFindText.data();
        const char16_t* end = p + FFindText.size();
        int len = 0;
        FFirst = FoldedFirst(p, end, len);
    }
    FAsciiForms[0] = FAsciiForms[1] = 0;
    if (FOptions == CompareBit(coIgnoreCase) && FFirst >= U'A' && FFirst <= U'Z') {
        FAsciiForms[0] = static_cast<char16_t>(FFirst);
        FAsciiForms[1] = static_cast<char16_t>(FFirst + 32);
    }
    FCompiled = true;
}

const char16_t* TREQuickSearch::Exec(const char16_t* AStr, const char16_t* TextEnd) {
    if (!FCompiled) {
        Compile();
    }
    FTextEndP = TextEnd;
    return Search(AStr);
}

const char16_t* TREQuickSearch::ExecNext() {
    return FMatchP == nullptr ? nullptr : Search(FMatchP + 1);
}

const char16_t* TREQuickSearch::Search(const char16_t* From) {
    FMatchP = nullptr;
    FMatchLen = 0;
    const auto n = static_cast<std::ptrdiff_t>(FFindText.size());
    if (n == 0 || From > FTextEndP) {
        return nullptr;
    }
    const char16_t* pattern = FFindText.data();
    if (FOptions == 0) {
        if (FTextEndP - From < n) {
            return nullptr;
        }
        const char16_t* last = FTextEndP - n;
        if (n < 3) {
            for (const char16_t* p = From; p <= last; ++p) {
                if (p[0] == pattern[0] && (n == 1 || p[1] == pattern[1])) {
                    FMatchP = p;
                    FMatchLen = static_cast<int>(n);
                    return p;
                }
            }
            return nullptr;
        }
        const char16_t tail = pattern[n - 1];
        for (const char16_t* p = From; p <= last;) {
            const char16_t c = p[n - 1];
            if (c == tail && std::equal(pattern, pattern + n - 1, p)) {
                FMatchP = p;
                FMatchLen = static_cast<int>(n);
                return p;
            }
            p += FSkipTable[c & 0xFF];
        }
        return nullptr;
    }
    for (const char16_t* p = From; p < FTextEndP; ++p) {
        // Besides the letter's own two forms only four characters fold to an ASCII letter:
        // İ and ı (to I), the long s (to S) and the Kelvin sign (to K).
        if (FAsciiForms[0] != 0 && *p != FAsciiForms[0] && *p != FAsciiForms[1] &&
            (*p < 128 || (*p != 0x0130 && *p != 0x0131 && *p != 0x017F && *p != 0x212A))) {
            continue;
        }
        int first = 0;
        if (FoldedFirst(p, FTextEndP, first) != FFirst) {
            continue;
        }
        int len = 0;
        if (CompareText(p, FTextEndP, pattern, static_cast<int>(n), FOptions, len)) {
            FMatchP = p;
            FMatchLen = len;
            return p;
        }
    }
    return nullptr;
}
