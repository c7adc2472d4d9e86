// Locale-free text services over the generated case and width tables.
#include "regex/text_services.h"

#include "regex/unicode_tables.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

namespace t = quillo::regex::tables;

const std::int32_t* CaseDelta(char32_t cp) {
    const std::uint32_t block = t::kCaseStage1[cp >> t::kStageShift];
    const std::uint8_t index = t::kCaseStage2[(block << t::kStageShift) | (cp & t::kStageMask)];
    return &t::kCaseDeltas[index * 2];
}

using TPairs = std::vector<std::pair<char32_t, char32_t>>;

// (half-width form, full-width form), sorted by the half-width form.
const TPairs& HalfToFull() {
    static const TPairs pairs = [] {
        TPairs p;
        for (int i = 0; i < t::kWidthPairCount; ++i) {
            p.emplace_back(t::kWidthPairs[i * 2 + 1], t::kWidthPairs[i * 2]);
        }
        std::stable_sort(p.begin(), p.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        return p;
    }();
    return pairs;
}

} // namespace

char32_t ReadCodePoint(const char16_t* p, const char16_t* end, int& len) {
    const char16_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p + 1 < end && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
        len = 2;
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (p[1] - 0xDC00);
    }
    len = 1;
    return c;
}

void AppendCodePoint(std::u16string& s, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        s.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        s.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        s.push_back(static_cast<char16_t>(cp));
    }
}

char32_t CharUpper(char32_t cp) {
    if (cp >= 0x110000) {
        return cp;
    }
    return static_cast<char32_t>(static_cast<std::int32_t>(cp) + CaseDelta(cp)[0]);
}

char32_t CharLower(char32_t cp) {
    if (cp >= 0x110000) {
        return cp;
    }
    return static_cast<char32_t>(static_cast<std::int32_t>(cp) + CaseDelta(cp)[1]);
}

bool SameTextIgnoreCase(const char16_t* a, const char16_t* b, std::size_t len) {
    const char16_t* aEnd = a + len;
    const char16_t* bEnd = b + len;
    while (a < aEnd && b < bEnd) {
        int la = 0;
        int lb = 0;
        const char32_t ca = ReadCodePoint(a, aEnd, la);
        const char32_t cb = ReadCodePoint(b, bEnd, lb);
        // Upper of lower, so that both the Kelvin sign and the long s meet their ASCII letters.
        if (ca != cb && CharUpper(CharLower(ca)) != CharUpper(CharLower(cb))) {
            return false;
        }
        a += la;
        b += lb;
    }
    return a == aEnd && b == bEnd;
}

char32_t ToHalfWidth(char32_t cp) {
    const std::uint32_t* first = t::kWidthPairs;
    int low = 0;
    int high = t::kWidthPairCount - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        if (first[middle * 2] == cp) {
            return first[middle * 2 + 1];
        }
        if (first[middle * 2] < cp) {
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return cp;
}

char32_t ToFullWidth(char32_t cp) {
    const TPairs& pairs = HalfToFull();
    auto it = std::lower_bound(pairs.begin(), pairs.end(), cp,
                               [](const auto& p, char32_t c) { return p.first < c; });
    return it != pairs.end() && it->first == cp ? it->second : cp;
}

char32_t ToHiragana(char32_t cp) {
    if ((cp >= 0x30A1 && cp <= 0x30F6) || cp == 0x30FD || cp == 0x30FE) {
        return cp - 0x60;
    }
    return cp;
}

char32_t ToKatakana(char32_t cp) {
    if ((cp >= 0x3041 && cp <= 0x3096) || cp == 0x309D || cp == 0x309E) {
        return cp + 0x60;
    }
    return cp;
}
