#include "regex/fold.h"
#include "regex/text_services.h"

#include <gtest/gtest.h>

#include <string>

namespace {

char32_t Fold(const std::u16string& s, TRECompareOptions o, int& len) {
    return FoldChar(s.data(), s.data() + s.size(), o, len);
}

constexpr TRECompareOptions kCase = CompareBit(coIgnoreCase);
constexpr TRECompareOptions kWidth = CompareBit(coIgnoreWidth);
constexpr TRECompareOptions kKana = CompareBit(coIgnoreKana);

TEST(TextServices, CaseMappingFollowsTheDatabaseNotTheLocale) {
    EXPECT_EQ(CharUpper(U'a'), U'A');
    EXPECT_EQ(CharLower(U'A'), U'a');
    EXPECT_EQ(CharUpper(U'ÿ'), U'Ÿ');
    EXPECT_EQ(CharUpper(0xFF41), 0xFF21u);   // full-width letters have case too
    EXPECT_EQ(CharUpper(0x10428), 0x10400u); // Deseret, outside the BMP
    EXPECT_EQ(CharUpper(U'ß'), U'ß');        // no single-character upper case
    EXPECT_EQ(CharUpper(0xD800), 0xD800u);
    EXPECT_EQ(CharUpper(U'あ'), U'あ');
}

TEST(TextServices, CaseInsensitiveComparison) {
    EXPECT_TRUE(SameTextIgnoreCase(u"Hello", u"hELLO", 5));
    EXPECT_FALSE(SameTextIgnoreCase(u"Hello", u"hELLx", 5));
    EXPECT_TRUE(SameTextIgnoreCase(u"\u212A", u"k", 1)); // Kelvin sign
    EXPECT_TRUE(SameTextIgnoreCase(u"\u017F", u"S", 1)); // long s
    EXPECT_TRUE(SameTextIgnoreCase(u"\U00010428", u"\U00010400", 2));
    EXPECT_FALSE(SameTextIgnoreCase(u"あ", u"ア", 1));
}

TEST(TextServices, WidthAndKanaMappingsOfSingleCharacters) {
    EXPECT_EQ(ToFullWidth(U'A'), 0xFF21u);
    EXPECT_EQ(ToFullWidth(U' '), 0x3000u);
    EXPECT_EQ(ToFullWidth(0xFF76), 0x30ABu); // half-width KA
    EXPECT_EQ(ToHalfWidth(0xFF21), U'A');
    EXPECT_EQ(ToHalfWidth(0x30AB), 0xFF76u);
    EXPECT_EQ(ToHalfWidth(0x30AC), 0x30ACu); // GA needs two half-width characters
    EXPECT_EQ(ToHalfWidth(U'あ'), U'あ');
    EXPECT_EQ(ToHiragana(U'ア'), U'あ');
    EXPECT_EQ(ToHiragana(0x30FD), 0x309Du);
    EXPECT_EQ(ToKatakana(U'ゔ'), U'ヴ');
    EXPECT_EQ(ToKatakana(U'ア'), U'ア');
    EXPECT_EQ(ToHiragana(U'A'), U'A');
}

TEST(FoldChar, FoldsByEachOptionInOrder) {
    int len = 0;
    EXPECT_EQ(Fold(u"a", kCase, len), U'A');
    EXPECT_EQ(Fold(u"a", kWidth, len), 0xFF41u);
    EXPECT_EQ(Fold(u"a", kCase | kWidth, len), 0xFF21u);
    EXPECT_EQ(Fold(u" ", kWidth, len), 0x3000u);
    EXPECT_EQ(Fold(u"\\", kWidth, len), 0xFFE5u);
    EXPECT_EQ(Fold(u"~", kWidth, len), 0xFF5Eu);
    EXPECT_EQ(Fold(u"\uFF76\uFF9E", kWidth, len), 0x30ACu);
    EXPECT_EQ(len, 2);
    EXPECT_EQ(Fold(u"\uFF8A\uFF9F", kWidth, len), 0x30D1u); // PA
    EXPECT_EQ(len, 2);
    EXPECT_EQ(Fold(u"\uFF73\uFF9E", kWidth, len), 0x30F4u); // VU
    EXPECT_EQ(Fold(u"\uFF85\uFF9E", kWidth, len), 0x30CAu); // NA has no voiced form
    EXPECT_EQ(len, 1);
    EXPECT_EQ(Fold(u"\uFF61", kWidth, len), 0x3002u);
    EXPECT_EQ(Fold(u"\uFF9E", kWidth, len), 0x309Bu);
    EXPECT_EQ(Fold(u"あ", kKana, len), U'ア');
    EXPECT_EQ(Fold(u"\u309D", kKana, len), 0x30FDu);
    EXPECT_EQ(Fold(u"\uFF76\uFF9E", kWidth | kKana, len), 0x30ACu);
    EXPECT_EQ(Fold(u"a", 0, len), U'a');
    EXPECT_EQ(Fold(u"\U0001F600", kCase, len), 0x1F600u);
    EXPECT_EQ(len, 2);
}

TEST(FoldChar, NeverReadsPastTheEnd) {
    const std::u16string s = u"\uFF76\uFF9E";
    int len = 0;
    // Only the first unit is inside the range: the voiced mark is not looked at.
    EXPECT_EQ(FoldChar(s.data(), s.data() + 1, kWidth, len), 0x30ABu);
    EXPECT_EQ(len, 1);
    const std::u16string pair = u"\U0001F600";
    EXPECT_EQ(FoldChar(pair.data(), pair.data() + 1, 0, len), 0xD83Du);
    EXPECT_EQ(len, 1);
}

TEST(CompareText, FoldedComparisonConsumesTheTextsOwnUnits) {
    const std::u16string text = u"\uFF76\uFF9Ex";
    const std::u16string pattern = u"\u30AC";
    int len = 0;
    ASSERT_TRUE(
        CompareText(text.data(), text.data() + text.size(), pattern.data(), 1, kWidth, len));
    EXPECT_EQ(len, 2);
    EXPECT_FALSE(CompareText(text.data(), text.data() + text.size(), pattern.data(), 1, 0, len));
    const std::u16string hira = u"あいう";
    const std::u16string kata = u"アイウ";
    EXPECT_TRUE(CompareText(hira.data(), hira.data() + 3, kata.data(), 3, kKana, len));
    EXPECT_FALSE(CompareText(hira.data(), hira.data() + 2, kata.data(), 3, kKana, len));
    const std::u16string abc = u"aBc";
    EXPECT_TRUE(CompareText(abc.data(), abc.data() + 3, u"ABC", 3, kCase, len));
    EXPECT_FALSE(CompareText(abc.data(), abc.data() + 3, u"ABC", 3, 0, len));
    EXPECT_FALSE(CompareText(abc.data(), abc.data() + 2, u"ABC", 3, kCase, len));
}

} // namespace
