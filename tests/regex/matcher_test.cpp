// The matcher and the public interface, through TRxRegExp.
#include "regex/errors.h"
#include "regex/regexp.h"
#include "regex_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "pos,len" of group 0 (and of the other groups, "-" when unmatched), or "none".
std::string Find(const std::string& expr, const std::string& text, TREOptions options = 0) {
    TRxRegExp re;
    re.SetOptions(options);
    re.SetExpression(U(expr));
    if (!re.Exec(U(text))) {
        return "none";
    }
    std::string out;
    for (int g = 0; g <= re.GroupCount(); ++g) {
        out += (g ? " " : "");
        out += re.Groups()[g].Matched()
                   ? std::to_string(re.MatchPos(g)) + "," + std::to_string(re.MatchLen(g))
                   : "-";
    }
    return out;
}

// Every match of a search, "pos,len" each.
std::string All(const std::string& expr, const std::string& text, TREOptions options = 0) {
    TRxRegExp re;
    re.SetOptions(options);
    re.SetExpression(U(expr));
    std::string out;
    for (bool ok = re.Exec(U(text)); ok; ok = re.ExecNext()) {
        out += (out.empty() ? "" : " ") + std::to_string(re.MatchPos(0)) + "," +
               std::to_string(re.MatchLen(0));
    }
    return out;
}

constexpr TREOptions kI = OptionBit(roIgnoreCase);
constexpr TREOptions kM = OptionBit(roMultiLine);

TEST(Matcher, BasicSearches) {
    EXPECT_EQ(Find("abc", "xxabcxx"), "3,3");
    EXPECT_EQ(Find("aa\\d", "aaa1"), "2,3");
    EXPECT_EQ(Find("(?:a+|b)c", "aabc"), "3,2");
    EXPECT_EQ(Find("a.*b", "a1b2b"), "1,5");
    EXPECT_EQ(Find("a.*?b", "a1b2b"), "1,3");
    EXPECT_EQ(Find("a.*+b", "a1b2b"), "none");
    // A repetition followed by a literal gives back straight to where the literal's first unit
    // stands, never below its minimum and by whole characters.
    EXPECT_EQ(Find("x.{2,}yz", "xyzyz"), "1,5");
    EXPECT_EQ(Find("x.{3,}yz", "xyzyz"), "none");
    EXPECT_EQ(Find("x.+y", "xy"), "none");
    EXPECT_EQ(Find("\\d*12", "11212"), "1,5");
    EXPECT_EQ(Find(".*😀x", "a😀x😀y"), "1,4");
    EXPECT_EQ(Find("(?:ab)*abc", "abababc"), "1,7");
    EXPECT_EQ(Find("(?i)x.*ERROR", "xerror"), "1,6");
    EXPECT_EQ(Find("x*", ""), "1,0");
    EXPECT_EQ(Find("(\\d+)-(\\d+)", "tel 12-345"), "5,6 5,2 8,3");
    EXPECT_EQ(Find("ABC", "xabcx", kI), "2,3");
    // Characters outside ASCII that fold to ASCII letters, found by the literal search.
    EXPECT_EQ(Find("kelvin", "x\u212Aelvin", kI), "2,6");
    EXPECT_EQ(Find("sun", "x\u017Fun", kI), "2,3");
    EXPECT_EQ(Find("iris", "\u0130r\u0131s", kI), "1,4");
    EXPECT_EQ(Find("[a-c]+", "xxCAB", kI), "3,3");
    EXPECT_EQ(Find("colou?r", "my color"), "4,5");
    EXPECT_EQ(Find("a{2,3}", "aaaa"), "1,3");
    EXPECT_EQ(Find("a{2,3}?", "aaaa"), "1,2");
    EXPECT_EQ(Find("(ab){2}", "abababx"), "1,4 3,2");
    EXPECT_EQ(Find("\\bfoo\\b", "afoo foo"), "6,3");
    EXPECT_EQ(Find("😀+", "a😀😀b"), "2,4");
    EXPECT_EQ(Find("(a)|b", "b"), "1,1 -");
}

TEST(Matcher, AnchorsAndLines) {
    EXPECT_EQ(Find("^abc", "xabc"), "none");
    EXPECT_EQ(Find("^abc", "abcx"), "1,3");
    EXPECT_EQ(Find("abc$", "abcx\r\nabc"), "7,3");
    EXPECT_EQ(Find("(?m)^$", "a\r\n\r\nb"), "4,0");
    EXPECT_EQ(All("^", "a\r\nb\r\n", kM), "1,0 4,0 7,0");
    EXPECT_EQ(All("$", "a\r\nb", kM), "2,0 5,0");
    EXPECT_EQ(Find("(?m)^\\s+\\S", "ab\r\ncd\r\n  x"), "9,3");
    EXPECT_EQ(Find("a^b", "a^b"), "1,3");
    EXPECT_EQ(Find("x?^a", "a"), "1,1");
    EXPECT_EQ(Find("\\Aab\\z", "ab"), "1,2");
    EXPECT_EQ(Find("ab\\Z", "ab\r\n"), "1,2");
}

TEST(Matcher, BacktrackingIntoCompletedIterations) {
    EXPECT_EQ(Find("(a|ab)*c", "abc"), "1,3 1,2");
    EXPECT_EQ(Find("(?:a|ab)+c", "ababc"), "1,5");
    EXPECT_EQ(Find("^(a|aa)+$", "aaa"), "1,3 3,1");
    EXPECT_EQ(Find("(a*)*b", "aab"), "1,3 3,0");
    EXPECT_EQ(Find("(a?)+?b", "ab"), "1,2 1,1");
}

TEST(Matcher, CapturesOfFailedPathsDoNotSurvive) {
    EXPECT_EQ(Find("(?:(a)x|ab)", "ab"), "1,2 -");
    EXPECT_EQ(Find("(?:(a)|b)*c", "abc"), "1,3 1,1");
    // A false condition without a no-branch matches the empty string.
    EXPECT_EQ(Find("(x)?(?(1)a)b", "b"), "1,1 -");
}

TEST(Matcher, PossessiveAndAtomic) {
    EXPECT_EQ(Find("a*+a", "aa"), "none");
    EXPECT_EQ(Find("(?:a|b)*+b", "aab"), "none");
    EXPECT_EQ(Find("(?>a+)b", "aab"), "1,3");
    EXPECT_EQ(Find("(?>a|ab)c", "abc"), "none");
    EXPECT_EQ(Find("a++b", "aaab"), "1,4");
    EXPECT_EQ(Find("a{1,2}+a", "aa"), "none");
    // Loops of one character test run as single-code repetitions; they must keep the loop's
    // bounds, its possessiveness and the backtracking of the greedy form.
    EXPECT_EQ(Find("a{2,}+a", "aaaa"), "none");
    EXPECT_EQ(Find("a{2,}+", "a"), "none");
    EXPECT_EQ(Find("a{2,}+b", "aaab"), "1,4");
    EXPECT_EQ(Find("[a-z]*[a-z]", "abc"), "1,3");
    EXPECT_EQ(Find("(?:ab)*abc", "ababc"), "1,5");
    EXPECT_EQ(Find("(?:ab)*+abc", "ababc"), "none");
    EXPECT_EQ(Find("(?:ab)*?b", "ab"), "2,1");
    EXPECT_EQ(Find("[\\d]*?5", "125"), "1,3");
    EXPECT_EQ(Find("x\\R*y", "x\r\n\ny"), "1,5");
    EXPECT_EQ(Find("x\\R*\ny", "x\r\n\ny"), "1,5"); // gives back the last break
}

TEST(Matcher, LookAround) {
    EXPECT_EQ(Find("(?<=\\d)x", "ax1x"), "4,1");
    EXPECT_EQ(Find("(?<!\\d)x", "1xax"), "4,1");
    EXPECT_EQ(Find("(?<=a(b))c", "abc"), "3,1 2,1");
    EXPECT_EQ(Find("(?<=a|bc)d", "bcd"), "3,1");
    EXPECT_EQ(Find("(?<=^|,)\\w+", ",ab"), "2,2");
    EXPECT_EQ(Find("foo(?=bar)", "foobaz foobar"), "8,3");
    EXPECT_EQ(Find("foo(?!bar)", "foobar foobaz"), "8,3");
    EXPECT_EQ(Find("(?=(a+))a*b\\1", "baaabac"), "4,3 4,1");
    EXPECT_EQ(Find("(?!(a))b", "b"), "1,1 -");
    // Look-behinds of one character test are tried on the character before, without a sub-run.
    EXPECT_EQ(Find("(?<=\\.)[A-Z]\\w+", "aBc.Def"), "5,3");
    EXPECT_EQ(Find("(?<!\\.)[A-Z]", ".A.BC"), "5,1");
    EXPECT_EQ(Find("(?<!a)b", "b"), "1,1");
    EXPECT_EQ(Find("(?<=a)b", "b"), "none");
    EXPECT_EQ(Find("(?<=𠀋)x", "𠀋x"), "3,1");
    EXPECT_EQ(Find("(?<![a𠀋])x", "𠀋xax"), "none");
    EXPECT_EQ(Find("(?<=(?i)k)x", "\u212Ax"), "2,1");
    EXPECT_EQ(All("(?<=[.,])\\w", "a.b,c.d"), "3,1 5,1 7,1");
}

TEST(Matcher, Conditions) {
    EXPECT_EQ(Find("(x)?(?(1)a|b)", "xa"), "1,2 1,1");
    EXPECT_EQ(Find("(x)?(?(1)a|b)", "b"), "1,1 -");
    EXPECT_EQ(Find("(?(?=\\d)\\d\\d|x)", "a5x12"), "3,1");
    // A condition that is one alternative of an alternation leaves the others to be tried.
    EXPECT_EQ(Find("(?:(?(?=a)ab|x)|c)", "c"), "1,1");
    EXPECT_EQ(Find("(?:(?(?=a)ab)|c)", "c"), "1,0");
    EXPECT_EQ(Find("(?:c|(?(?=a)ab))", "ab"), "1,2");
}

TEST(Matcher, BackReferences) {
    EXPECT_EQ(Find("(a+)b\\1", "aabaa"), "1,5 1,2");
    EXPECT_EQ(Find("(?<w>\\w+) \\k<w>", "hey the the"), "5,7 5,3");
    EXPECT_EQ(Find("\\b(\\w+)\\s+\\1\\b", "is is it"), "1,5 1,2");
    EXPECT_EQ(Find("(a)\\1", "aA", kI), "1,2 1,1");
}

TEST(Matcher, CallsAndRecursion) {
    EXPECT_EQ(Find("\\((?:[^()]|(?R))*\\)", "(a(b)c)"), "1,7");
    EXPECT_EQ(Find("(\\d)(?1)", "a12"), "2,2 2,1");
    EXPECT_EQ(Find("^(a(?1)?b)$", "aaabbb"), "1,6 1,6");
    EXPECT_EQ(Find("(?<p>\\[(?:[^\\[\\]]|(?&p))*\\])", "x[[a][b]]"), "2,8 2,8");
    // The call's captures do not leak to the caller.
    EXPECT_EQ(Find("(a|b)(?1)", "ab"), "1,2 1,1");
    TRxRegExp re;
    re.SetExpression(u"a(?R)?");
    std::u16string deep(20000, u'a');
    EXPECT_THROW(re.Exec(deep), ERxRegExpRuntime);
}

TEST(Matcher, KeepPattern) {
    EXPECT_EQ(Find("a\\Kb", "ab"), "2,1");
    // \\K takes the rest of its group as its operand, alternatives included.
    EXPECT_EQ(Find("(?:a\\Kb|ac)", "ac"), "none");
    EXPECT_EQ(Find("(?:a\\Kb|ac)", "aac"), "2,2");
}

TEST(Matcher, WidthAndKanaFolding) {
    const TREOptions w = OptionBit(roIgnoreWidth);
    const TREOptions k = OptionBit(roIgnoreKana);
    EXPECT_EQ(Find("ガ", "xｶﾞ", w), "2,2");
    EXPECT_EQ(Find("abc", "ａｂｃ", w), "1,3");
    EXPECT_EQ(Find("かな", "カナ", k), "1,2");
    EXPECT_EQ(Find("かな", "ｶﾅ", w | k), "1,2");
    EXPECT_EQ(Find("[か-こ]+", "xカキク", k), "2,3");
}

// Tests of one character that the engine answers from a table of the units it has met: what it
// learnt on one text (and at one place) must hold on another, so a regular expression reused
// over several texts gives what a fresh one gives, surrogate pairs and folding included.
TEST(Matcher, UnitCacheAnswersAsTheFullTest) {
    const TREOptions w = OptionBit(roIgnoreWidth);
    const TREOptions k = OptionBit(roIgnoreKana);
    struct TCase {
        const char* Expr;
        TREOptions Options;
    };
    const TCase cases[] = {{"[A-Za-z_][A-Za-z0-9_]*", 0},
                           {"\\p{Han}+", 0},
                           {"[^a]+", 0},
                           {"(?i)[a-z]+", 0},
                           {"\\w+\\s*", 0},
                           {"[ｶ-ﾝ]+", w},
                           {"[か-こ]+", k},
                           {"[ア-ン]+", w | k},
                           {"\\d+|x", 0},
                           {"[^ｶ]+", w},
                           {"[ガ]", w},
                           {"[ガ-ゴ]+", w},
                           {"(?<=\\.)[A-Z]\\w+", 0},
                           {".+", 0}};
    const char* texts[] = {"abc DEF_1 x",         "漢字𠀋字 a𠀋",    "ｶﾞｷﾞ カキク かき",
                           "\u017F\u212A kelvin", "a.Bcd e.Fg 12 x", "😀a😀 b",
                           "ｶ ｶﾞ ｶﾟ ｶｶﾞ ｶﾞｶ"};
    for (const TCase& c : cases) {
        TRxRegExp warm;
        warm.SetOptions(c.Options);
        warm.SetExpression(U(c.Expr));
        for (int round = 0; round < 2; ++round) {
            for (const char* text : texts) {
                std::string a;
                for (bool ok = warm.Exec(U(text)); ok; ok = warm.ExecNext()) {
                    a += std::to_string(warm.MatchPos(0)) + "," + std::to_string(warm.MatchLen(0)) +
                         " ";
                }
                EXPECT_EQ(a, All(c.Expr, text, c.Options) + (a.empty() ? "" : " "))
                    << c.Expr << " on " << text;
            }
        }
    }
    EXPECT_EQ(All("\\p{Han}+", "漢字𠀋字 a𠀋"), "1,5 8,2");
    EXPECT_EQ(All("[^a]+", "𠀋a\xF0\x9F\x98\x80"), "1,2 4,2");
    EXPECT_EQ(All("(?i)[a-z]+", "\u017F\u212A-x"), "1,2 4,1");
    EXPECT_EQ(All("[カ-ン]+", "ｶﾞｷ", w), "1,3");
}

TEST(Matcher, NestedRepetitionsFinishOnAdversarialInput) {
    const std::string many(10000, 'a');
    EXPECT_EQ(Find("(a|a)*b", many + "c"), "none");
    EXPECT_EQ(Find("(a+)+b", many + "c"), "none");
    EXPECT_EQ(Find("(\\w+\\s?)*$", many + "!"), "10002,0 -"); // the empty match at the end
    EXPECT_EQ(Find("^(a|aa)+$", many + "b"), "none");
    EXPECT_EQ(Find("(a+)+b", many + "b").substr(0, 8), "1,10001 ");
}

TEST(RegExp, ExecNextAndExecPos) {
    TRxRegExp re;
    re.SetExpression(u"(\\d+)-(\\d+)");
    ASSERT_TRUE(re.Exec(u"tel 12-345"));
    EXPECT_EQ(re.MatchPos(2), 8);
    EXPECT_FALSE(re.ExecNext());
    TRxRegExp fresh;
    EXPECT_THROW(fresh.ExecNext(), ERxRegExpRuntime);
    EXPECT_EQ(All("x*", "ab"), "1,0 2,0 3,0");
    TRxRegExp pos;
    pos.SetExpression(u"\\w+");
    pos.SetInputString(u"ab\r\ncd");
    ASSERT_TRUE(pos.ExecPos(3, 0)); // at the CR: the search starts after the line end
    EXPECT_EQ(pos.MatchPos(0), 5);
    ASSERT_TRUE(pos.ExecPos(2, 1));
    EXPECT_EQ(pos.MatchPos(0), 2);
    EXPECT_EQ(pos.MatchLen(0), 1);
    EXPECT_FALSE(pos.ExecPos(0, 0));
    pos.SetEOL(u"");
    ASSERT_TRUE(pos.ExecPos(3, 0));
    EXPECT_EQ(pos.MatchPos(0), 5);
    EXPECT_THROW(pos.SetEOL(u"abc"), ERxRegExpRuntime);

    // A text read where it lies: matches, $_ and $` see only that text.
    const std::u16string lies = u"<<id 42 and 7>>";
    TRxRegExp view;
    view.SetExpression(u"\\d+");
    view.SetInputView(std::u16string_view(lies).substr(2, 11));
    ASSERT_TRUE(view.ExecPos(1, 0));
    EXPECT_EQ(view.MatchPos(0), 4);
    EXPECT_EQ(view.MatchLen(0), 2);
    EXPECT_EQ(view.Substitute(u"[$`|$_]"), u"[id |id 42 and 7]");
    ASSERT_TRUE(view.ExecNext());
    EXPECT_EQ(view.MatchPos(0), 11);
    EXPECT_FALSE(view.ExecNext());
    EXPECT_FALSE(view.ExecPos(13, 0));
}

TEST(RegExp, ReplaceSplitAndSubstitute) {
    TRxRegExp re;
    re.SetExpression(u"\\d+");
    EXPECT_EQ(re.Replace(u"a1b22", u"<$0>", 0, 1), u"a<1>b<22>");
    EXPECT_EQ(re.Replace(u"a1b22", u"<$0>", 1, 1), u"a<1>b22");
    EXPECT_EQ(re.Replace(u"a1b22", u"\\x{41}\\t$&", 0, 1), u"aA\t1bA\t22");
    EXPECT_EQ(re.Replace(u"a1", u"[$]", 0, 1), u"a[]");
    EXPECT_EQ(re.Replace(u"a1", u"$", 0, 1), u"a$");
    EXPECT_THROW(re.Replace(u"a1", u"\\xg", 0, 1), ERxRegExp);
    re.SetExpression(u"x*");
    EXPECT_EQ(re.Replace(u"abc", u"-", 0, 1), u"abc");
    re.SetExpression(u",");
    std::vector<std::u16string> pieces;
    re.Split(u"a,b,,c", pieces, 0, 1);
    EXPECT_EQ(pieces, (std::vector<std::u16string>{u"a", u"b", u"", u"c"}));
    re.Split(u"a,b,,c", pieces, 2, 1);
    EXPECT_EQ(pieces, (std::vector<std::u16string>{u"a", u"b,,c"}));
    re.SetExpression(u"(?<y>\\d{4})");
    ASSERT_TRUE(re.Exec(u"2011"));
    EXPECT_EQ(re.Substitute(u"${y}/$1/$$/$x"), u"2011/2011/$/x");
    re.SetExpression(u"b(c)?");
    ASSERT_TRUE(re.Exec(u"abcd"));
    EXPECT_EQ(re.Substitute(u"[$`|$'|$_|$+|$9]"), u"[a|d|abcd|c|]");
    int calls = 0;
    re.OnMatch = [&](TRxRegExp&) {
        ++calls;
    };
    re.SetExpression(u"\\w");
    EXPECT_EQ(re.Replace(
                  u"ab", [](TRxRegExp& r) { return r.Groups()[0].Strings() + u"!"; }, 0, 1),
              u"a!b!");
    EXPECT_EQ(calls, 2);
}

TEST(RegExp, OptionProperties) {
    TRxRegExp re;
    re.SetIgnoreZenHan(true);
    EXPECT_TRUE(re.IgnoreWidth());
    EXPECT_TRUE(re.IgnoreKana());
    EXPECT_TRUE(re.IgnoreZenHan());
    re.SetIgnoreKana(false);
    EXPECT_FALSE(re.IgnoreZenHan());
    re.SetExpression(u"\\w+");
    re.SetDefinedCharClassLegacy(true);
    ASSERT_TRUE(re.Exec(u"漢字abc"));
    EXPECT_EQ(re.MatchPos(0), 3);
    EXPECT_STREQ(TRxRegExp::Version, "1.1.16");
}

} // namespace
