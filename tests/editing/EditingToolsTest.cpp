#include "editing/CursorHistory.h"
#include "editing/Numbering.h"

#include <gtest/gtest.h>

using quillo::editing::AsLineList;
using quillo::editing::NumberMarkers;
using quillo::editing::TCursorList;

namespace {

std::vector<qsizetype> Offsets(const TCursorList& list) {
    std::vector<qsizetype> out;
    for (qsizetype i = 0; i < list.Count(); ++i) {
        out.push_back(list.Items(i)->TopLength);
    }
    return out;
}

} // namespace

TEST(CursorListTest, CutMovesLaterEntriesAndDropsInnerOnes) {
    // Cutting bcd from abcdef (s 1, e 3) with entries at 0, 2, 3 and 5.
    TCursorList list;
    for (qsizetype p : {0, 2, 3, 5}) {
        list.Add(p, 6 - p, 1);
    }
    list.AdjustForCut(1, 3);
    EXPECT_EQ(Offsets(list), (std::vector<qsizetype>{0, 3, 2}));
}

TEST(CursorListTest, PasteMovesEntriesAfterTheSelection) {
    // Pasting 4 characters over bc of abcdef (s 1, e 2), entries at 4 and 2.
    TCursorList list;
    list.Add(4, 2, 1);
    list.Add(2, 4, 1);
    list.AdjustForPaste(1, 2, 4);
    EXPECT_EQ(Offsets(list), (std::vector<qsizetype>{6, 2}));

    // With nothing selected (e = s - 1) every entry at or after s moves.
    TCursorList empty;
    for (qsizetype p : {0, 3, 4, 9}) {
        empty.Add(p, 0, 1);
    }
    empty.AdjustForPaste(3, 0, 5);
    EXPECT_EQ(Offsets(empty), (std::vector<qsizetype>{0, 8, 9, 14}));
}

TEST(CursorListTest, ClearEmptiesAndIndexesPastTheEndAreNull) {
    TCursorList list;
    EXPECT_EQ(list.Add(1, 0, 1), 0);
    EXPECT_EQ(list.Add(2, 0, 1), 1);
    EXPECT_EQ(list.Items(2), nullptr);
    EXPECT_EQ(list.Items(-1), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Items(0), nullptr);
}

TEST(NumberingTest, MarkersAreNumberedLeftToRightWithoutOverlap) {
    EXPECT_EQ(NumberMarkers(QStringLiteral("item%%\r\nitem%%\r\nitem%%"), 0),
              QStringLiteral("item0\r\nitem1\r\nitem2"));
    EXPECT_EQ(NumberMarkers(QStringLiteral("%%%"), 0), QStringLiteral("0%"));
    EXPECT_EQ(NumberMarkers(QStringLiteral("%%%%"), 0), QStringLiteral("01"));
    EXPECT_EQ(NumberMarkers(QStringLiteral("%%-%%\r\n%%-%%"), 0), QStringLiteral("0-1\r\n2-3"));
    EXPECT_EQ(NumberMarkers(QStringLiteral("a%\r\n%b"), 0), QStringLiteral("a%\r\n%b"));
    EXPECT_EQ(NumberMarkers(QStringLiteral("%%"), 41), QStringLiteral("41"));
    EXPECT_EQ(NumberMarkers(QString(), 0), QString());
}

TEST(NumberingTest, LineListEndsWithOneBreak) {
    EXPECT_EQ(AsLineList(QStringLiteral("a\nb\rc")), QStringLiteral("a\r\nb\r\nc\r\n"));
    EXPECT_EQ(AsLineList(QStringLiteral("a\r\n")), QStringLiteral("a\r\n"));
    EXPECT_EQ(AsLineList(QString()), QString());
    EXPECT_EQ(AsLineList(QStringLiteral("\r\n\r\n")), QStringLiteral("\r\n\r\n"));
}
