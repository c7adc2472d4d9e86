// The automaton's analysis: search modes, lead codes, possessive conversion, anchors.
#include "regex/regexp.h"
#include "regex_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

namespace {

struct TAnalysis {
    TRELeadCharMode Mode;
    int PreMatch;
    std::string Literal;
    std::string Map;
};

TAnalysis Analyse(const std::string& expr, TREOptions options = 0) {
    TRxRegExp re;
    re.SetOptions(options);
    re.SetExpression(U(expr));
    re.Compile();
    const TREMatchEngine& m = re.FMatchEngine;
    std::string map;
    for (char32_t c : m.Map().Items()) {
        map += static_cast<char>(c);
    }
    std::sort(map.begin(), map.end());
    return {m.LeadCharMode(), m.PreMatchLength(), ToUtf8(m.LeadStrings().FindText()), map};
}

// The match kind of the first single-code repetition in the automaton.
TRELoopKind RepetitionKind(const std::string& expr) {
    TRxRegExp re;
    re.SetExpression(U(expr));
    re.Compile();
    for (const auto& t : re.FTransitions) {
        if (t->FKind == nkStar || t->FKind == nkPlus || t->FKind == nkBound) {
            return t->FMatchKind;
        }
    }
    return lkGreedy;
}

// The general loops left in the automaton.
int LoopCount(const std::string& expr) {
    TRxRegExp re;
    re.SetExpression(U(expr));
    re.Compile();
    return static_cast<int>(std::count_if(re.FTransitions.begin(), re.FTransitions.end(),
                                          [](const auto& t) { return t->FKind == nkLoop; }));
}

TEST(Analysis, SearchModes) {
    EXPECT_EQ(Analyse("abc").Mode, lcmSimple);
    EXPECT_EQ(Analyse("abc").Literal, "abc");
    const TAnalysis first = Analyse("abc\\d");
    EXPECT_EQ(first.Mode, lcmFirstLiteral);
    EXPECT_EQ(first.PreMatch, 0);
    const TAnalysis dotted = Analyse("..abc");
    EXPECT_EQ(dotted.Mode, lcmFirstLiteral);
    EXPECT_EQ(dotted.PreMatch, 2);
    EXPECT_EQ(Analyse("^abc").Mode, lcmTextTop);
    EXPECT_EQ(Analyse("(?m)^abc").Mode, lcmLineTop);
    EXPECT_EQ(Analyse("\\Aabc").Mode, lcmTextTop);
    const TAnalysis words = Analyse("cat|dog");
    EXPECT_EQ(words.Mode, lcmMap);
    EXPECT_EQ(words.Map, "cd");
    // Folded literals are tested by their codes: no map can hold every form that folds alike.
    EXPECT_EQ(Analyse("cat|dog", OptionBit(roIgnoreCase)).Mode, lcmHasLead);
    EXPECT_EQ(Analyse("\\d+x").Mode, lcmHasLead);
    const TAnalysis ahead = Analyse("(?=a)b");
    EXPECT_EQ(ahead.Mode, lcmLastLiteral);
    EXPECT_EQ(Analyse(".b|c").Mode, lcmHasLead);
    EXPECT_EQ(Analyse("a|.a").Mode, lcmHasLead);
    EXPECT_EQ(Analyse("a*").Mode, lcmNone); // may match the empty string anywhere
    EXPECT_EQ(Analyse("a+").Mode, lcmFirstLiteral);
}

TEST(Analysis, SearchModesFindWhatAFullScanFinds) {
    // Each mode against the same searches run without it (a pattern the analysis cannot use).
    // Line breaks of every kind at every alignment, for the line-top search that scans for them
    // eight units at a time.
    std::string lines;
    const char* breaks[] = {"\r\n", "\n", "\r", "\u2028", "\u2029", "\u0085", "\v", "\f", "\t"};
    for (int i = 0; i < 40; ++i) {
        lines += std::string(static_cast<std::size_t>(i % 11), i % 3 == 0 ? ' ' : 'a') + "b" +
                 breaks[i % std::size(breaks)];
    }
    for (const std::string& subject :
         {std::string("xx\r\nab cat\r\n..abc dog abc1 😀abc\r\n  \tab\r\n\r\nb\n b"), lines}) {
        for (const char* expr : {"abc",     "abc\\d",       "..abc",    "^ab",      "(?m)^ab",
                                 "cat|dog", "\\d+",         ".b|c",     "(?=a)b",   "(?i)CAT|DOG",
                                 ".abc",    "(?m)^\\s+\\S", "(?m)^\\s", "(?m)^a+b", "(?m)^.*b$",
                                 "x.*b",    "(?<=a)b",      "(?<!a)b",  "[a-c]+",   "\\w*c"}) {
            TRxRegExp fast;
            fast.SetExpression(U(expr));
            TRxRegExp slow;
            slow.SetExpression(U(std::string("(?:") + expr + ")(?#)|(?!)\\G"));
            std::string a;
            std::string b;
            for (bool ok = fast.Exec(U(subject)); ok; ok = fast.ExecNext()) {
                a +=
                    std::to_string(fast.MatchPos(0)) + "," + std::to_string(fast.MatchLen(0)) + " ";
            }
            for (bool ok = slow.Exec(U(subject)); ok; ok = slow.ExecNext()) {
                b +=
                    std::to_string(slow.MatchPos(0)) + "," + std::to_string(slow.MatchLen(0)) + " ";
            }
            EXPECT_EQ(a, b) << expr;
            EXPECT_EQ(slow.FMatchEngine.LeadCharMode(), lcmNone) << expr;
        }
    }
}

TEST(Analysis, PossessiveConversion) {
    EXPECT_EQ(RepetitionKind("a+b"), lkPossessive);
    EXPECT_EQ(RepetitionKind("\\d+$"), lkPossessive);
    EXPECT_EQ(RepetitionKind("(a+)b"), lkPossessive);
    EXPECT_EQ(RepetitionKind("a+a"), lkGreedy);
    EXPECT_EQ(RepetitionKind(".*x"), lkAny);
    EXPECT_EQ(RepetitionKind("\\w+\\B"), lkGreedy);
    EXPECT_EQ(RepetitionKind("(?m).+$"), lkGreedy);
    EXPECT_EQ(RepetitionKind("a+(?:b|a)"), lkGreedy);
    EXPECT_EQ(RepetitionKind("(a+)b(?1)a"), lkGreedy); // a call continues elsewhere
    // A loop of one character test becomes a single-code repetition, and may then turn
    // possessive; loops of more, with a group or reluctant stay loops.
    EXPECT_EQ(RepetitionKind("[a-z]*1"), lkPossessive);
    EXPECT_EQ(RepetitionKind("\\d{2,}+"), lkPossessive);
    EXPECT_EQ(LoopCount("[a-z]*"), 0);
    EXPECT_EQ(LoopCount("(?:ab)*c"), 0);
    EXPECT_EQ(LoopCount("a*?b"), 1);
    EXPECT_EQ(LoopCount("(a)*"), 1);
    EXPECT_EQ(LoopCount("(?:ab|c)*"), 1);
}

TEST(Analysis, AnchorsOnlyAtTheStartAndEnd) {
    auto find = [](const std::string& expr, const std::string& text) {
        TRxRegExp re;
        re.SetExpression(U(expr));
        return re.Exec(U(text)) ? std::to_string(re.MatchPos(0)) : std::string("none");
    };
    EXPECT_EQ(find("(^a)", "ba"), "none");
    EXPECT_EQ(find("x?^a", "ba"), "none");
    EXPECT_EQ(find("a|^b", "cb"), "none");
    EXPECT_EQ(find("^b|a?", "b"), "1");
    EXPECT_EQ(find("a^b", "a^b"), "1");
    EXPECT_EQ(find("a$b", "a$b"), "1");
    EXPECT_EQ(find("(a$)", "ab"), "none");
    EXPECT_EQ(find("a$|b", "ab"), "2");
}

} // namespace
