// What the codes match, tested through trees the parser builds.
#include "regex/code.h"
#include "regex/regexp.h"
#include "regex_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Compiles a one-code expression and tests its code at the start of text.
class CodeMatch {
public:
    CodeMatch(const std::string& expr, TREOptions options = 0) {
        FRegExp.SetOptions(options);
        FRegExp.SetExpression(U(expr));
        FRegExp.Compile();
    }
    // Units matched at position pos, -1 when the code fails there.
    int At(const std::string& text, int pos = 0) {
        FRegExp.SetInputString(U(text));
        int len = 0;
        const char16_t* p = FRegExp.FTextTopP + pos;
        return FRegExp.FCode->IsEqual(p, len) ? len : -1;
    }

private:
    TRxRegExp FRegExp;
};

constexpr TREOptions kI = OptionBit(roIgnoreCase);
constexpr TREOptions kW = OptionBit(roIgnoreWidth);
constexpr TREOptions kK = OptionBit(roIgnoreKana);

TEST(Codes, ClassesUnderIgnoreCaseKeepFoldingAfterAnUnfoldedRange) {
    CodeMatch cls("[0-9x]", kI);
    EXPECT_EQ(cls.At("X"), 1);
    EXPECT_EQ(cls.At("x"), 1);
    EXPECT_EQ(cls.At("5"), 1);
    EXPECT_EQ(cls.At("y"), -1);
    CodeMatch mixed("[A-z]", kI);
    EXPECT_EQ(mixed.At("_"), 1);         // inside the raw range
    EXPECT_EQ(mixed.At("\xC3\xA0"), -1); // no case partner brought in
    CodeMatch lower("[a-f]", kI);
    EXPECT_EQ(lower.At("C"), 1);
    EXPECT_EQ(lower.At("G"), -1);
    CodeMatch latin("[à-ÿ]", kI);
    EXPECT_EQ(latin.At("À"), 1);
    EXPECT_EQ(latin.At("Ā"), -1); // the upper-cased ends would have taken it
}

TEST(Codes, ClassesUnderWidthAndKanaFolding) {
    CodeMatch kata("[ア-ン]", kW);
    EXPECT_EQ(kata.At("ｶﾞ"), 2); // the voiced pair is one character
    EXPECT_EQ(kata.At("ｱ"), 1);
    CodeMatch hira("[あ-ん]", kK);
    EXPECT_EQ(hira.At("カ"), 1);
    EXPECT_EQ(hira.At("ａ"), -1);
    CodeMatch ascii("[a-z]", kW);
    EXPECT_EQ(ascii.At("b"), 1);
    EXPECT_EQ(ascii.At("ｂ"), 1);
    CodeMatch single("[ガ]", kW);
    EXPECT_EQ(single.At("ｶﾞ"), 2);
    CodeMatch negated("[^a]", kI);
    EXPECT_EQ(negated.At("A"), -1);
    EXPECT_EQ(negated.At("😀"), 2); // a surrogate pair is one character
    EXPECT_EQ(negated.At(""), -1);
}

TEST(Codes, LiteralsAndCharacterTests) {
    EXPECT_EQ(CodeMatch("abc", kI).At("ABCD"), 3);
    EXPECT_EQ(CodeMatch("abc").At("ab"), -1);
    EXPECT_EQ(CodeMatch("ガギ", kW).At("ｶﾞｷﾞ"), 4);
    EXPECT_EQ(CodeMatch("がぎ", kW).At("ｶﾞｷﾞ"), -1); // hiragana needs the kana option
    EXPECT_EQ(CodeMatch("がぎ", kW | kK).At("ｶﾞｷﾞ"), 4);
    EXPECT_EQ(CodeMatch(".").At("\n"), -1);
    EXPECT_EQ(CodeMatch(".", OptionBit(roSingleLine)).At("\n"), 1);
    EXPECT_EQ(CodeMatch(".").At("😀"), 2);
    EXPECT_EQ(CodeMatch("\\w").At("漢"), 1);
    EXPECT_EQ(CodeMatch("\\w", OptionBit(roDefinedCharClassLegacy)).At("漢"), -1);
    EXPECT_EQ(CodeMatch("\\d").At("٣"), 1);
    EXPECT_EQ(CodeMatch("\\S").At(" "), -1);
    EXPECT_EQ(CodeMatch("\\h").At("\xE3\x80\x80"), 1);
    EXPECT_EQ(CodeMatch("\\v").At("\xE2\x80\xA8"), 1);
    EXPECT_EQ(CodeMatch("\\R").At("\r\n"), 2);
    EXPECT_EQ(CodeMatch("\\R").At("\n\r"), 1);
    EXPECT_EQ(CodeMatch("\\X").At("e\xCC\x81\xCC\x82x"), 3);
    EXPECT_EQ(CodeMatch("\\X").At("\xCC\x81"), -1);
    EXPECT_EQ(CodeMatch("\\p{Han}").At("𠀀"), 2);
    EXPECT_EQ(CodeMatch("\\P{Han}").At("𠀀"), -1);
}

TEST(Codes, Assertions) {
    EXPECT_EQ(CodeMatch("\\b").At("a b", 0), 0);
    EXPECT_EQ(CodeMatch("\\b").At("a b", 1), 0);
    EXPECT_EQ(CodeMatch("\\b").At("ab", 1), -1);
    EXPECT_EQ(CodeMatch("\\B").At("ab", 1), 0);
    EXPECT_EQ(CodeMatch("\\A").At("ab", 1), -1);
    EXPECT_EQ(CodeMatch("\\Z").At("ab\r\n", 2), 0);
    EXPECT_EQ(CodeMatch("\\z").At("ab\r\n", 2), -1);
}

TEST(Codes, LineHeadAndTailTreatCrLfAsOneBreak) {
    TRxRegExp re;
    re.SetInputString(u"a\r\nb");
    const char16_t* t = re.FTextTopP;
    TRELineHeadCode head(&re, OptionBit(roMultiLine));
    TRELineTailCode tail(&re, OptionBit(roMultiLine));
    int len = 0;
    EXPECT_TRUE(head.IsEqual(t, len));
    EXPECT_FALSE(head.IsEqual(t + 2, len)); // between CR and LF
    EXPECT_TRUE(head.IsEqual(t + 3, len));
    EXPECT_TRUE(tail.IsEqual(t + 1, len));
    EXPECT_FALSE(tail.IsEqual(t + 2, len));
    EXPECT_TRUE(tail.IsEqual(t + 4, len));
    TRELineHeadCode single(&re, 0);
    EXPECT_FALSE(single.IsEqual(t + 3, len));
}

TEST(Codes, OverlapAndInclusionUsedByTheAnalysis) {
    TRxRegExp re;
    TRECharCode a(&re, U'a', 0, false);
    TRECharCode b(&re, U'b', 0, false);
    TRECharCode upperA(&re, U'A', kI, false);
    TRERangeCharCode az(&re, U'a', U'z', 0);
    TREDigitCharCode digit(&re, false);
    EXPECT_FALSE(a.IsOverlap(&b));
    EXPECT_TRUE(a.IsOverlap(&upperA));
    EXPECT_TRUE(az.IsOverlap(&b));
    EXPECT_FALSE(digit.IsOverlap(&a));
    EXPECT_FALSE(a.IsOverlap(&digit));
    EXPECT_TRUE(az.IsInclude(&b));
    EXPECT_FALSE(az.IsInclude(&digit));
}

} // namespace
