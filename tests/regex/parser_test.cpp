#include "regex/errors.h"
#include "regex/parser.h"
#include "regex/regexp.h"
#include "regex/tree_dump.h"
#include "regex_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr TREOptions kI = OptionBit(roIgnoreCase);

TEST(Parser, ShapesOfQuantifiedAtoms) {
    EXPECT_EQ(Tree("abc+"), "(concat \"ab\" (plus 'c'))");
    EXPECT_EQ(Tree("(?:abc)+"), "(plus \"abc\")");
    EXPECT_EQ(Tree("(abc)+"), "(loop 1,inf (group 1 \"abc\"))");
    EXPECT_EQ(Tree("a*"), "(loop 0,inf 'a')");
    EXPECT_EQ(Tree(".*"), "(star any any)");
    EXPECT_EQ(Tree(".*?"), "(loop 0,inf lazy any)");
    EXPECT_EQ(Tree("\\X*"), "(star xseq \\X)");
    EXPECT_EQ(Tree("a+?"), "(loop 1,inf lazy 'a')");
    EXPECT_EQ(Tree("a{2,3}+"), "(loop 2,3 possessive 'a')");
    EXPECT_EQ(Tree("a{2,3}"), "(bound 2,3 'a')");
    EXPECT_EQ(Tree("a?"), "(quest 'a')");
    EXPECT_EQ(Tree("a??"), "(quest lazy 'a')");
    EXPECT_EQ(Tree("^*"), "(loop 0,inf ^)");
    EXPECT_EQ(Tree("a**"), "error: *... not recognized; a** <-- ");
    EXPECT_EQ(Tree("ab|"), "(union \"ab\" empty)");
    EXPECT_EQ(Tree(""), "empty");
}

TEST(Parser, LiteralsMergeOnlyUnderTheSameOptions) {
    EXPECT_EQ(Tree("ab(?i)cd"), "(concat \"ab\" \"CD\"/i)");
    EXPECT_EQ(Tree("a(?#x)b"), "\"ab\"");
    EXPECT_EQ(Tree("a\\Eb"), "\"ab\"");
    EXPECT_EQ(Tree("\\Qa+\\E+"), "(concat 'a' (plus '+'))");
    EXPECT_EQ(Tree("日本語"), "\"日本語\"");
}

TEST(Parser, InlineOptionsAndKeepTakeTheRestOfTheGroup) {
    EXPECT_EQ(Tree("a(?i)b|c"), "(concat 'a' (union 'B'/i 'C'/i))");
    EXPECT_EQ(Tree("a\\Kb|c"), "(concat 'a' (keep (union 'b' 'c')))");
    EXPECT_EQ(Tree("(a(?i)b)c"), "(concat (group 1 (concat 'a' 'B'/i)) 'c')");
    EXPECT_EQ(Tree("(?i:a)b"), "(concat 'A'/i 'b')");
    // Look-around openers save no options.
    EXPECT_EQ(Tree("(?=(?i)a)b"), "(concat (ahead 'A'/i) 'B'/i)");
    TRxRegExp re;
    re.SetExpression(u"(?i)abc");
    re.Compile();
    EXPECT_TRUE(re.GetOption(roIgnoreCase));
    TRxRegExp inner;
    inner.SetExpression(u"((?i)abc)");
    inner.Compile();
    EXPECT_FALSE(inner.GetOption(roIgnoreCase));
}

TEST(Parser, AnchorsAndAssertions) {
    EXPECT_EQ(Tree("^a$"), "(concat (concat ^ 'a') $)");
    EXPECT_EQ(Tree("\\A\\b\\B\\Z\\z\\G"),
              "(concat (concat (concat (concat (concat \\A \\b) \\B) \\Z) \\z) \\G)");
    EXPECT_EQ(Tree("\\b+"), "error: +...Loop of Length zero cannot specified; \\b+ <-- ");
    EXPECT_EQ(Tree("(?=a)*"), "error: Loop of match ahead not specified; (?=a)* <-- ");
    EXPECT_EQ(Tree("(?!a)b"), "(concat (!ahead 'a') 'b')");
    EXPECT_EQ(Tree("(?>a+)"), "(atomic (plus 'a'))");
}

TEST(Parser, CaptureGroupsAndTheGroupTable) {
    TRxRegExp re;
    re.SetExpression(u"(a)(?<y>b)(?:c)(?'z'd)(?P<y>e)");
    re.Compile();
    EXPECT_EQ(re.GroupCount(), 4);
    EXPECT_EQ(re.Groups().IndexOfName(u"y"), 4);
    EXPECT_EQ(re.Groups().EnumIndexOfName(u"y"), (std::vector<int>{4, 2}));
    EXPECT_EQ(re.Groups().IndexOfName(u"z"), 3);
    EXPECT_TRUE(re.Groups().IsDuplicateGroupName(u"y"));
    EXPECT_EQ(Tree("(?<y>b)"), "(group 1 <y> 'b')");
    EXPECT_EQ(Tree("(a", 0), "error: Unmatched (; (a <-- ");
    EXPECT_EQ(Tree(")"), "error: )...Unmatched (; ) <-- ");
    EXPECT_EQ(Tree("(?n)(a)(?<b>c)"), "(concat 'a' (group 1 <b> 'c'))");
}

TEST(Parser, BranchResetNumbersEachAlternativeFromTheSameStart) {
    TRxRegExp re;
    re.SetExpression(u"(?|(a)|(b)(c))(d)");
    re.Compile();
    EXPECT_EQ(re.GroupCount(), 3);
    EXPECT_EQ(Tree("(?|(a)|(b)(c))(d)"),
              "(concat (union (group 1 'a') (concat (group 1 'b') (group 2 'c'))) (group 3 'd'))");
    EXPECT_EQ(Tree("(?|(?<n>a)|(b))\\k<n>"),
              "(concat (union (group 1 <n> 'a') (group 1 'b')) \\k<n:1>)");
}

TEST(Parser, CharacterClasses) {
    EXPECT_EQ(Tree("[]]"), "[class ]]");
    EXPECT_EQ(Tree("[a]]"), "[class ] a]");
    EXPECT_EQ(Tree("[]a]"), "error: ]a...Invalid charactor class; []a <-- ]");
    EXPECT_EQ(Tree("[a-]"), "[class - a]");
    EXPECT_EQ(Tree("[^\\da-c]"), "[class^ [a-c] \\d]");
    EXPECT_EQ(Tree("[a-z[:digit:]\\p{Greek}\\s]"), "[class [a-z] \\s \\p{5} \\p{81}]");
    EXPECT_EQ(Tree("[a-zb-c\\w\\w]"), "[class [a-z] \\w]"); // included members go
    EXPECT_EQ(Tree("[a]", kI), "[class A a]/i");
    EXPECT_EQ(Tree("[a-z]", kI), "[class [a-z]/i]/i");
    EXPECT_EQ(Tree("[ア]", OptionBit(roIgnoreKana) | OptionBit(roIgnoreWidth)),
              "[class あ ア ｱ]/wk");
    EXPECT_EQ(Tree("[ａ]", kI | OptionBit(roIgnoreWidth)), "[class A a Ａ ａ]/iw");
}

TEST(Parser, ClassRangeWithoutSameCaseEndsLosesCaseFoldingForThatRangeOnly) {
    EXPECT_EQ(Tree("[0-9x]", kI), "[class X x [0-9]]/i");
    EXPECT_EQ(Tree("[A-zq]", kI), "[class Q q [A-z]]/i");
    EXPECT_EQ(Tree("[A-Z0-9a-f]", kI), "[class [0-9] [A-Z]/i [a-f]/i]/i");
}

TEST(Parser, BackReferences) {
    EXPECT_EQ(Tree("(a)\\1"), "(concat (group 1 'a') \\1)");
    EXPECT_EQ(Tree("\\2(a)(b)"), "(concat (concat \\2 (group 1 'a')) (group 2 'b'))");
    EXPECT_EQ(Tree("(a)\\2"), "error: Invalid group number <2>; (a)\\2 <-- ");
    EXPECT_EQ(Tree("(a)\\8b"), "error: Invalid group number <8>; (a)\\8 <-- b");
    EXPECT_EQ(Tree("(a)(b)\\g-1\\g{-2}"),
              "(concat (concat (concat (group 1 'a') (group 2 'b')) \\2) \\1)");
    EXPECT_EQ(Tree("(a)\\g-2"), "error: Invalid group number <-2>; (a)\\g-2 <-- ");
    EXPECT_EQ(Tree("(?<n>a)\\k<n>"), "(concat (group 1 <n> 'a') \\k<n:1>)");
    EXPECT_EQ(Tree("\\k<n>(?<n>a)"), "(concat \\k<n:1> (group 1 <n> 'a'))");
    EXPECT_EQ(Tree("(?<n>a)(?<n>b)\\k<n>"),
              "(concat (concat (group 1 <n> 'a') (group 2 <n> 'b')) \\k<n:2,1>)");
    EXPECT_EQ(Tree("(?<n>a\\k<n>)"), "(group 1 <n> (concat 'a' \\k<n:>))");
    EXPECT_EQ(Tree("\\k<x>(a)"), "error: Invalid group name <x>; \\k<x> <-- (a)");
    std::string many;
    for (int i = 0; i < 11; ++i) {
        many += "(x)";
    }
    EXPECT_EQ(Tree(many + "\\12"), "error: Invalid group number <12>; " + many + "\\12 <-- ");
    EXPECT_EQ(Tree(many.substr(3) + "\\12").find("\\x{A}") != std::string::npos, true);
}

TEST(Parser, LookBehindBodiesGetTheirExactLengthRange) {
    EXPECT_EQ(Tree("(?<=a|bc)"), "(behind 1,2 (union 'a' \"bc\"))");
    EXPECT_EQ(Tree("(?<=\\d)x"), "(concat (behind 1,1 \\d) 'x')");
    EXPECT_EQ(Tree("(?<=a(b))c"), "(concat (behind 2,2 (concat 'a' (group 1 'b'))) 'c')");
    EXPECT_EQ(Tree("(?<=(a|b)c)"), "(behind 2,2 (concat (group 1 (union 'a' 'b')) 'c'))");
    EXPECT_EQ(Tree("(?<=(?:ab|c(?:d|efg))h)").substr(0, 15), "(behind 3,5 (co");
    EXPECT_EQ(Tree("(?<=a{2,3}b?[xy]\\R)").substr(0, 12), "(behind 4,7 ");
    EXPECT_EQ(Tree("(?<=\\bab(?=c)$)").substr(0, 12), "(behind 2,3 ");
    EXPECT_EQ(Tree("(?<!a)"), "(!behind 1,1 'a')");
    EXPECT_EQ(Tree("(?<=)"), "(behind 0,0 empty)");
    EXPECT_EQ(Tree("(?<=a+)b"), "error: )b...Behind match not variable length; (?<=a+)b <-- ");
    EXPECT_EQ(Tree("(?<=a*)").substr(0, 45), "error: )...Behind match not variable length; ");
    EXPECT_EQ(Tree("(a)(?<=\\1)").substr(0, 45), "error: )...Behind match not variable length; ");
    EXPECT_EQ(Tree("(?<=\\X)").substr(0, 45), "error: )...Behind match not variable length; ");
    EXPECT_EQ(Tree("(?<=(?:a{1000}){1000}(?:b{1000}){1000}(?:c{1000}){1000})").substr(0, 7),
              "(behind");
    EXPECT_EQ(Tree("(?<=(?:(?:(?:a{30000}){30000}){30000}){30000})").substr(0, 45),
              "error: )...Behind match not variable length; ");
    EXPECT_EQ(Tree("(?<!(a))"), "error: )...Behind match not group; (?<!(a)) <-- ");
}

TEST(Parser, SubroutineCallsAndRecursion) {
    EXPECT_EQ(Tree("(a)(?1)"), "(concat (group 1 'a') (gosub 1))");
    EXPECT_EQ(Tree("(?+1)(a)"), "(concat (gosub 1) (group 1 'a'))");
    EXPECT_EQ(Tree("(a)(?-1)"), "(concat (group 1 'a') (gosub 1))");
    EXPECT_EQ(Tree("(a)(?-2)"), "error: Invalid group number <-2>; (a)(?-2) <-- ");
    EXPECT_EQ(Tree("(?2)(a)"), "error: Invalid group number <2>; (?2) <-- (a)");
    EXPECT_EQ(Tree("(a)(?+99999999999)").substr(0, 40), "error: Invalid group number <2147483647>");
    EXPECT_NE(Tree("(a)(?-99999999999)").find("Invalid group number <-2147483647>"),
              std::string::npos);
    EXPECT_EQ(Tree("(?&n)(?<n>a)"), "(concat (gosub -1 <n>) (group 1 <n> 'a'))");
    EXPECT_EQ(Tree("(?<n>a)\\g<n>"), "(concat (group 1 <n> 'a') (gosub 1 <n>))");
    EXPECT_EQ(Tree("(?&m)(?<n>a)"), "error: Invalid group name <m>; (?&m) <-- (?<n>a)");
    EXPECT_EQ(Tree("(?&n)(?<n>a)(?<n>b)"),
              "error: Multiple define group name can not call; (?&n) <-- (?<n>a)(?<n>b)");
    EXPECT_EQ(Tree("\\((?:[^()]|(?R))*\\)").find("(gosub 0 recursive)") != std::string::npos, true);
    EXPECT_EQ(Tree("(a|(?1))"), "error: )...Never ending recursion; (a|(?1)) <-- ");
    EXPECT_EQ(Tree("(?R)").substr(0, 32), "error: Never ending recursion; (");
    // A call of another group is not a recursion.
    EXPECT_EQ(Tree("(a)(b|(?1))"), "(concat (group 1 'a') (group 2 (union 'b' (gosub 1))))");
    EXPECT_EQ(Tree("(a(?1)?b)"), "(group 1 (concat (concat 'a' (quest (gosub 1 recursive))) 'b'))");
}

TEST(Parser, Conditions) {
    EXPECT_EQ(Tree("(a)?(?(1)b|c)"),
              "(concat (quest (group 1 'a')) (ifmatch (if 1) (ifthen 'b' 'c')))");
    EXPECT_EQ(Tree("(?<n>a)(?(<n>)b)"),
              "(concat (group 1 <n> 'a') (ifmatch (if <n>) (ifthen 'b')))");
    EXPECT_EQ(Tree("(?(?=a)ab|c)"), "(ifmatch (ahead 'a') (ifthen \"ab\" 'c'))");
    EXPECT_EQ(Tree("(?(?=a)b|c|d)"), "error: Contains too many Branches; (?(?=a)b|c|d <-- )");
    EXPECT_EQ(Tree("(a)(?(1)b|c|d)"), "error: |d...Unmatched (; (a)(?(1)b|c|d <-- )");
    EXPECT_EQ(Tree("(?(a)b)"), "error: b)...Invalid Condition; (?(a)b) <-- ");
    EXPECT_EQ(Tree("(?(2)a)"), "error: Invalid group number <2>; (?(2) <-- a)");
    EXPECT_EQ(Tree("(?(<x>)a)"), "error: Invalid group name <x>; (?(<x>) <-- a)");
}

TEST(Parser, ExpandingLexModes) {
    TRxRegExp re;
    re.SetLexMode(lmDFA);
    re.SetExpression(u"ab+c{2,3}");
    re.Compile();
    EXPECT_EQ(
        DumpTree(re.FCode),
        "(concat (concat 'a' (concat 'b' (star 'b'))) (concat (concat 'c' 'c') (quest 'c')))");
}

TEST(Parser, DeepNestingIsAnErrorNotACrash) {
    const int limit = TREParser::kMaxNestLevel;
    EXPECT_EQ(CompileError(std::string(limit, '(') + std::string(limit, ')')), "");
    const std::string deeper = std::string(limit + 1, '(') + std::string(limit + 1, ')');
    EXPECT_NE(CompileError(deeper).find("Nesting of groups too deep; "), std::string::npos);
    std::string options;
    for (int i = 0; i < 5000; ++i) {
        options += "(?i)";
    }
    EXPECT_NE(CompileError(options).find("Nesting of groups too deep"), std::string::npos);
    std::string keeps;
    for (int i = 0; i < 5000; ++i) {
        keeps += "a\\K";
    }
    EXPECT_NE(CompileError(keeps).find("Nesting of groups too deep"), std::string::npos);
    EXPECT_NE(CompileError(std::string(100000, '[')).find("Unmatched ["), std::string::npos);
}

TEST(Parser, ExpansionBeyondTheCodeLimitIsAnError) {
    TRxRegExp re;
    re.SetLexMode(lmDFA);
    std::u16string expr;
    for (int i = 0; i < 31; ++i) {
        expr += u"a{32767}";
    }
    re.SetExpression(expr);
    try {
        re.Compile();
        FAIL() << "compiled";
    } catch (const ERxRegExpCompile& e) {
        EXPECT_NE(std::string(e.what()).find("Regular expression too complex; "),
                  std::string::npos);
    }
    re.SetExpression(u"a{32767}b{32767}");
    EXPECT_NO_THROW(re.Compile());
}

TEST(Parser, LongFlatExpressionsCompile) {
    std::string alternatives;
    std::string sequence;
    std::string quotes;
    std::string comments;
    for (int i = 0; i < 50000; ++i) {
        alternatives += "a|";
        sequence += "(?:a).";
        quotes += "\\Q\\E";
        comments += "(?#c)";
    }
    EXPECT_EQ(CompileError(alternatives), "");
    EXPECT_EQ(CompileError(sequence), "");
    EXPECT_EQ(CompileError(quotes + "x"), "");
    EXPECT_EQ(CompileError(comments + "x"), "");
    TRxRegExp re;
    re.SetExpression(U(sequence));
    re.Compile();
    EXPECT_EQ(DumpTree(re.FCode).substr(0, 30), "(concat (concat (concat (conca");
    int lo = 0;
    int hi = 0;
    ASSERT_TRUE(ComputeCharRange(re.FCode, lo, hi));
    EXPECT_EQ(lo, 100000);
    EXPECT_EQ(hi, 100000);
}

} // namespace
