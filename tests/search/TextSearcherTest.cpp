#include "search/TextSearcher.h"

#include "regex/errors.h"

#include <gtest/gtest.h>

namespace quillo::search {
namespace {

TEST(TextSearcher, LiteralSearchIsPlainTextAndFollowsTheCaseBox) {
    TTextSearcher exact(QStringLiteral("a.[b]"), false, true);
    const QString text = QStringLiteral("axb a.[B] a.[b]");
    EXPECT_EQ(exact.Find(text, 0, TEmptyMatch::emCounts).Pos, 10);
    TTextSearcher blind(QStringLiteral("a.[b]"), false, false);
    EXPECT_EQ(blind.Find(text, 0, TEmptyMatch::emCounts).Pos, 4);
    EXPECT_EQ(blind.Find(text, 5, TEmptyMatch::emCounts).Pos, 10);
    // Full-width letters fold through the engine's case tables too.
    TTextSearcher wide(QStringLiteral("ＡＢ"), false, false);
    EXPECT_EQ(wide.Find(QStringLiteral("xａｂ"), 0, TEmptyMatch::emCounts).Pos, 1);
}

TEST(TextSearcher, EscapedLiteralsStandForThemselves) {
    const QString all = QStringLiteral("\\^$.|?*+()[]{} #-/'\"&~`");
    TTextSearcher blind(all, false, false);
    const QString text = QStringLiteral("xx") + all + QStringLiteral("yy");
    const TTextMatch m = blind.Find(text, 0, TEmptyMatch::emCounts);
    EXPECT_EQ(m.Pos, 2);
    EXPECT_EQ(m.Len, all.size());
}

TEST(TextSearcher, EngineCaseFollowsTheBox) {
    TTextSearcher sensitive(QStringLiteral("ab+"), true, true);
    TTextSearcher blind(QStringLiteral("ab+"), true, false);
    const QString text = QStringLiteral("ABB abb");
    EXPECT_EQ(sensitive.Find(text, 0, TEmptyMatch::emCounts).Pos, 4);
    const TTextMatch m = blind.Find(text, 0, TEmptyMatch::emCounts);
    EXPECT_EQ(m.Pos, 0);
    EXPECT_EQ(m.Len, 3);
}

TEST(TextSearcher, SearchFromAPositionSeesTheTextBefore) {
    TTextSearcher behind(QStringLiteral("(?<=x)a"), true, true);
    EXPECT_EQ(behind.Find(QStringLiteral("xa ya"), 1, TEmptyMatch::emCounts).Pos, 1);
    TTextSearcher word(QStringLiteral("\\bb"), true, true);
    EXPECT_EQ(word.Find(QStringLiteral("ab b"), 1, TEmptyMatch::emCounts).Pos, 3);
    TTextSearcher head(QStringLiteral("^b"), true, true);
    EXPECT_EQ(head.Find(QStringLiteral("ab\r\nb"), 1, TEmptyMatch::emCounts).Pos, 4);
}

TEST(TextSearcher, SearchStartsExactlyAtALineBreak) {
    TTextSearcher breaks(QStringLiteral("\\r\\n"), true, true);
    const TTextMatch m = breaks.Find(QStringLiteral("ab\r\ncd"), 2, TEmptyMatch::emCounts);
    EXPECT_EQ(m.Pos, 2);
    EXPECT_EQ(m.Len, 2);
}

TEST(TextSearcher, EmptyMatchRules) {
    TTextSearcher stars(QStringLiteral("x*"), true, true);
    const QString text = QStringLiteral("abxxc");
    EXPECT_EQ(stars.Find(text, 0, TEmptyMatch::emCounts).Pos, 0);
    EXPECT_EQ(stars.Find(text, 0, TEmptyMatch::emCounts).Len, 0);
    const TTextMatch skipped = stars.Find(text, 0, TEmptyMatch::emSkipped);
    EXPECT_EQ(skipped.Pos, 2);
    EXPECT_EQ(skipped.Len, 2);
    EXPECT_EQ(stars.Find(text, 4, TEmptyMatch::emSkipped).Pos, -1);
    TTextSearcher blank(QStringLiteral("^$"), true, true);
    const QString lines = QStringLiteral("\r\n\r\nx");
    EXPECT_EQ(blank.Find(lines, 0, TEmptyMatch::emSkippedAtStart).Pos, 2);
}

TEST(TextSearcher, ExpandSeesTheWholeText) {
    TTextSearcher s(QStringLiteral("(?<=x)b"), true, true);
    const QString text = QStringLiteral("ab xb");
    const TTextMatch m = s.Find(text, 0, TEmptyMatch::emSkipped);
    ASSERT_EQ(m.Pos, 4);
    EXPECT_EQ(s.Expand(text, m, QStringLiteral("[$`|$&|$']")), QStringLiteral("[ab x|b|]"));
    TTextSearcher literal(QStringLiteral("b"), false, true);
    EXPECT_EQ(literal.Expand(text, {1, 1}, QStringLiteral("$&\\t")), QStringLiteral("$&\\t"));
}

TEST(TextSearcher, ReplaceAllReportsTheCaretAfterTheLastReplacement) {
    TTextSearcher literal(QStringLiteral("a"), false, true);
    TReplaceResult r = literal.ReplaceAll(QStringLiteral("xaxaxx"), 2, QStringLiteral("AAA"));
    EXPECT_EQ(r.Text, QStringLiteral("xaxAAAxx"));
    EXPECT_EQ(r.Count, 1);
    EXPECT_EQ(r.CaretAfter, 6);
    TTextSearcher engine(QStringLiteral("(a)(x?)"), true, true);
    r = engine.ReplaceAll(QStringLiteral("xaxaxx"), 0, QStringLiteral("$2$1"));
    EXPECT_EQ(r.Text, QStringLiteral("xxaxax"));
    EXPECT_EQ(r.Count, 2);
    EXPECT_EQ(r.CaretAfter, 5);
    r = engine.ReplaceAll(QStringLiteral("yyy"), 0, QStringLiteral("z"));
    EXPECT_EQ(r.Count, 0);
    EXPECT_EQ(r.CaretAfter, -1);
    EXPECT_EQ(r.Text, QStringLiteral("yyy"));
}

TEST(TextSearcher, EngineErrorsArriveAsExceptions) {
    EXPECT_THROW(TTextSearcher(QStringLiteral("(a"), true, true), ERxRegExp);
    TTextSearcher s(QStringLiteral("a"), true, true);
    EXPECT_THROW(s.ReplaceAll(QStringLiteral("a"), 0, QStringLiteral("\\xZZ")), ERxRegExp);
}

} // namespace
} // namespace quillo::search
