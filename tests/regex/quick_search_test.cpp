// The literal search: every occurrence the full comparison accepts, in order, whatever the
// length of the text around the eight-position steps, and the case-folded forms it tests.
#include "regex/fold.h"
#include "regex/quick_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<int> Occurrences(TREQuickSearch& qs, const std::u16string& text) {
    std::vector<int> found;
    const char16_t* top = text.data();
    for (const char16_t* p = qs.Exec(top, top + text.size()); p != nullptr; p = qs.ExecNext()) {
        found.push_back(static_cast<int>(p - top));
        found.push_back(qs.MatchLen());
    }
    return found;
}

std::vector<int> Reference(const std::u16string& pattern, TRECompareOptions options,
                           const std::u16string& text) {
    std::vector<int> found;
    const char16_t* top = text.data();
    const char16_t* end = top + text.size();
    for (const char16_t* p = top; p < end; ++p) {
        int len = 0;
        if (CompareText(p, end, pattern.data(), static_cast<int>(pattern.size()), options, len)) {
            found.push_back(static_cast<int>(p - top));
            found.push_back(len);
        }
    }
    return found;
}

TEST(QuickSearch, FindsWhatTheFullComparisonFinds) {
    // Letters with forms outside ASCII that fold to them (K, S, I), kana in both widths with a
    // voiced mark, and a surrogate pair.
    const std::u16string alphabet[] = {u"a",      u"b", u"k", u"K",      u"\u212A", u"s",
                                       u"\u017F", u"i", u"I", u"\u0130", u"\u0131", u"ア",
                                       u"ｱ",      u"ｶ", u"ﾞ", u"ガ",     u"😀",      u"\U0001F601"};
    const TRECompareOptions optionSets[] = {0, CompareBit(coIgnoreCase),
                                            CompareBit(coIgnoreWidth) | CompareBit(coIgnoreKana)};
    std::mt19937 random(20261209);
    auto piece = [&] {
        return alphabet[random() % std::size(alphabet)];
    };
    for (int round = 0; round < 3000; ++round) {
        std::u16string pattern;
        const int patternChars = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < patternChars; ++i) {
            pattern += piece();
        }
        std::u16string text;
        const int textChars = static_cast<int>(random() % 40);
        for (int i = 0; i < textChars; ++i) {
            // Occurrences of the pattern itself now and then, so that there are some to find.
            text += random() % 8 == 0 ? pattern : piece();
        }
        for (TRECompareOptions options : optionSets) {
            TREQuickSearch qs;
            qs.SetFindText(pattern);
            qs.SetOptions(options);
            ASSERT_EQ(Occurrences(qs, text), Reference(pattern, options, text))
                << "round " << round << " options " << options;
        }
    }
}

TEST(QuickSearch, CaseFoldedFormsOfTheTestedUnits) {
    auto forms = [](const std::u16string& pattern) {
        TREQuickSearch qs;
        qs.SetFindText(pattern);
        qs.SetOptions(CompareBit(coIgnoreCase));
        const char16_t text[] = u"x";
        qs.Exec(text, text + 1);
        std::u16string out;
        const TREQuickSearch::TAnchor& a = qs.Anchor(0);
        for (int i = 0; i < a.Count; ++i) {
            out += a.Forms[i];
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    EXPECT_EQ(forms(u"k"), u"Kk\u212A");
    EXPECT_EQ(forms(u"S"), u"Ss\u017F");
    EXPECT_EQ(forms(u"i"), u"Ii\u0130\u0131");
    EXPECT_EQ(forms(u"ア"), u"ア");
    // Width or kana folding are compared from the folded first character instead.
    TREQuickSearch width;
    width.SetFindText(u"ガ");
    width.SetOptions(CompareBit(coIgnoreWidth));
    const std::u16string text = u"xｶﾞ";
    ASSERT_NE(width.Exec(text.data(), text.data() + text.size()), nullptr);
    EXPECT_EQ(width.MatchLen(), 2);
    EXPECT_EQ(width.Anchor(0).Count, 0);
}

} // namespace
