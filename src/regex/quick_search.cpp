// Literal search.
#include "regex/quick_search.h"

#include "regex/fold.h"
#include "regex/text_services.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// For every unit outside the surrogates, the next unit that the case-insensitive comparison
// folds alike, in a cycle through all of them (a unit alone points at itself). Made once.
const std::vector<char16_t>& CaseFoldCycles() {
    static const std::vector<char16_t> cycles = [] {
        std::vector<std::pair<char32_t, char16_t>> folds;
        folds.reserve(65536);
        for (char32_t u = 0; u < 65536; ++u) {
            if (!IsSurrogate(u)) {
                folds.emplace_back(CharUpper(CharLower(u)), static_cast<char16_t>(u));
            }
        }
        std::sort(folds.begin(), folds.end());
        std::vector<char16_t> next(65536);
        for (std::size_t i = 0; i < folds.size();) {
            std::size_t j = i;
            while (j + 1 < folds.size() && folds[j + 1].first == folds[i].first) {
                ++j;
            }
            for (std::size_t k = i; k <= j; ++k) {
                next[folds[k].second] = folds[k == j ? i : k + 1].second;
            }
            i = j + 1;
        }
        return next;
    }();
    return cycles;
}

// How often a unit turns up in the text an editor searches, roughly (English letter frequencies,
// kana and CJK punctuation common, other characters rare); the search tests the rarest.
int Frequency(char16_t u) {
    static constexpr std::uint8_t kLetters[26] = {16, 3,  6, 8, 24, 4,  4,  12, 14, 1, 2, 8, 5,
                                                  14, 15, 4, 1, 12, 13, 18, 6,  2,  4, 1, 4, 1};
    if (u >= u'a' && u <= u'z') {
        return kLetters[u - u'a'];
    }
    if (u >= u'A' && u <= u'Z') {
        return 1 + kLetters[u - u'A'] / 8;
    }
    if (u == u' ') {
        return 40;
    }
    if (u == u'\r' || u == u'\n' || u == u'\t') {
        return 6;
    }
    if (u < 128) {
        return 2;
    }
    if ((u >= 0x3040 && u <= 0x309F) || (u >= 0x3000 && u <= 0x303F)) {
        return 5; // hiragana and CJK punctuation
    }
    return 1;
}

} // namespace

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

bool TREQuickSearch::ChooseAnchors() {
    FAnchors[0] = FAnchors[1] = TAnchor{};
    if ((FOptions & ~CompareBit(coIgnoreCase)) != 0 || FFindText.empty()) {
        return false;
    }
    const bool folded = FOptions != 0;
    // Under case folding an offset is an anchor only while every character before it is one
    // unit (nothing outside the surrogates folds to a surrogate pair), and only when few units
    // fold like its character.
    std::vector<TAnchor> candidates;
    std::vector<int> frequency;
    for (std::size_t i = 0; i < FFindText.size(); ++i) {
        const char16_t c = FFindText[i];
        TAnchor a;
        a.Offset = static_cast<int>(i);
        if (!folded) {
            a.Forms[a.Count++] = c;
        } else {
            if (IsSurrogate(c)) {
                break;
            }
            const std::vector<char16_t>& cycles = CaseFoldCycles();
            char16_t u = c;
            do {
                if (a.Count == kMaxForms) {
                    a.Count = 0; // too many forms to test
                    break;
                }
                a.Forms[a.Count++] = u;
                u = cycles[u];
            } while (u != c);
            if (a.Count == 0) {
                continue;
            }
        }
        int f = 0;
        for (int k = 0; k < a.Count; ++k) {
            f += Frequency(a.Forms[k]);
        }
        candidates.push_back(a);
        frequency.push_back(f);
    }
    if (candidates.empty()) {
        return false;
    }
    // The rarest first; among equals the first and last offsets, which lie farthest apart.
    std::vector<std::size_t> order(candidates.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    const int lastOffset = static_cast<int>(FFindText.size()) - 1;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (frequency[a] != frequency[b]) {
            return frequency[a] < frequency[b];
        }
        const bool aEdge = candidates[a].Offset == 0 || candidates[a].Offset == lastOffset;
        const bool bEdge = candidates[b].Offset == 0 || candidates[b].Offset == lastOffset;
        return aEdge && !bEdge;
    });
    FAnchors[0] = candidates[order[0]];
    FAnchors[1] = candidates[order.size() > 1 ? order[1] : order[0]];
    // Equal forms make a wasted test, whatever the count.
    for (TAnchor& a : FAnchors) {
        for (int k = a.Count; k < kMaxForms; ++k) {
            a.Forms[k] = a.Forms[0];
        }
    }
    return true;
}

void TREQuickSearch::Compile() {
    FFirst = 0;
    if (!ChooseAnchors() && !FFindText.empty()) {
        // The first character as the folded comparison will see it.
        const char16_t* p = FFindText.data();
        const char16_t* end = p + FFindText.size();
        int len = 0;
        FFirst = FoldedFirst(p, end, len);
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

const char16_t* TREQuickSearch::NextCandidate(const char16_t* p, const char16_t* last) const {
    const TAnchor& a = FAnchors[0];
    const TAnchor& b = FAnchors[1];
    const bool single = a.Count == 1 && b.Count == 1;
#if defined(__SSE2__)
    // Eight positions a step: the loads at p + offset stay below last + offset + 8, within the
    // text while p + 7 <= last.
    if (last - p >= 7) {
        const __m128i a0 = _mm_set1_epi16(static_cast<short>(a.Forms[0]));
        const __m128i b0 = _mm_set1_epi16(static_cast<short>(b.Forms[0]));
        if (single) {
            for (; last - p >= 7; p += 8) {
                const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + a.Offset));
                const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + b.Offset));
                const int m = _mm_movemask_epi8(
                    _mm_and_si128(_mm_cmpeq_epi16(x, a0), _mm_cmpeq_epi16(y, b0)));
                if (m != 0) {
                    return p + (__builtin_ctz(static_cast<unsigned>(m)) >> 1);
                }
            }
        } else {
            const __m128i a1 = _mm_set1_epi16(static_cast<short>(a.Forms[1]));
            const __m128i a2 = _mm_set1_epi16(static_cast<short>(a.Forms[2]));
            const __m128i a3 = _mm_set1_epi16(static_cast<short>(a.Forms[3]));
            const __m128i b1 = _mm_set1_epi16(static_cast<short>(b.Forms[1]));
            const __m128i b2 = _mm_set1_epi16(static_cast<short>(b.Forms[2]));
            const __m128i b3 = _mm_set1_epi16(static_cast<short>(b.Forms[3]));
            for (; last - p >= 7; p += 8) {
                const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + a.Offset));
                const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + b.Offset));
                const __m128i ex =
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(x, a0), _mm_cmpeq_epi16(x, a1)),
                                 _mm_or_si128(_mm_cmpeq_epi16(x, a2), _mm_cmpeq_epi16(x, a3)));
                const __m128i ey =
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(y, b0), _mm_cmpeq_epi16(y, b1)),
                                 _mm_or_si128(_mm_cmpeq_epi16(y, b2), _mm_cmpeq_epi16(y, b3)));
                const int m = _mm_movemask_epi8(_mm_and_si128(ex, ey));
                if (m != 0) {
                    return p + (__builtin_ctz(static_cast<unsigned>(m)) >> 1);
                }
            }
        }
    }
#endif
    auto in = [](const TAnchor& anchor, char16_t u) {
        return u == anchor.Forms[0] || u == anchor.Forms[1] || u == anchor.Forms[2] ||
               u == anchor.Forms[3];
    };
    for (; p <= last; ++p) {
        if (in(a, p[a.Offset]) && in(b, p[b.Offset])) {
            return p;
        }
    }
    return nullptr;
}

const char16_t* TREQuickSearch::Search(const char16_t* From) {
    FMatchP = nullptr;
    FMatchLen = 0;
    const auto n = static_cast<std::ptrdiff_t>(FFindText.size());
    if (n == 0 || From > FTextEndP) {
        return nullptr;
    }
    const char16_t* pattern = FFindText.data();
    if (FAnchors[0].Count > 0) {
        // Exact and case-folded occurrences are as long as the pattern.
        if (FTextEndP - From < n) {
            return nullptr;
        }
        const char16_t* last = FTextEndP - n;
        for (const char16_t* p = From; (p = NextCandidate(p, last)) != nullptr; ++p) {
            int len = static_cast<int>(n);
            if (FOptions == 0
                    ? std::equal(pattern, pattern + n, p)
                    : CompareText(p, FTextEndP, pattern, static_cast<int>(n), FOptions, len)) {
                FMatchP = p;
                FMatchLen = len;
                return p;
            }
        }
        return nullptr;
    }
    for (const char16_t* p = From; p < FTextEndP; ++p) {
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
