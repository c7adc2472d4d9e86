// The cursor history as a state machine: what is recorded when, where each
// step of the walk lands, when the steps can be taken, and how cuts and
// pastes move the recorded positions.

#include "editing/CursorHistory.h"

#include <gtest/gtest.h>

#include <vector>

using quillo::editing::TCursorHistory;

namespace {

// Lines of `width` units each (line breaks included), as far as positions go.
TCursorHistory LinesOf(qsizetype width) {
    return TCursorHistory([width](qsizetype pos) { return pos / width; });
}

std::vector<qsizetype> Positions(const TCursorHistory& h) {
    std::vector<qsizetype> out;
    for (qsizetype i = 0; i < h.List().Count(); ++i) {
        out.push_back(h.List().Items(i)->TopLength);
    }
    return out;
}

} // namespace

TEST(CursorHistory, AChangeRecordsTheNotedPositionWhenTheCaretLeftItsLine) {
    TCursorHistory h = LinesOf(5);
    EXPECT_FALSE(h.CanGoBack());
    h.Note(3);
    h.TextChanged(4, 20); // the same line: nothing
    EXPECT_EQ(h.List().Count(), 0);
    h.TextChanged(5, 20); // an Enter took the caret to the next line
    ASSERT_EQ(h.List().Count(), 1);
    const auto* entry = h.List().Items(0);
    EXPECT_EQ(entry->TopLength, 3);
    EXPECT_EQ(entry->BottomLength, 17);
    EXPECT_EQ(entry->Line, 1);
    EXPECT_EQ(h.Index(), 0);
    EXPECT_EQ(h.Noted(), 5);
    EXPECT_TRUE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
}

TEST(CursorHistory, ClicksRecordOncePerLine) {
    TCursorHistory h = LinesOf(6); // "aaaa\r\n" lines
    EXPECT_TRUE(h.Clicked(7, 16));
    EXPECT_EQ(Positions(h), std::vector<qsizetype>({0})); // the noted start
    EXPECT_EQ(h.Noted(), 7);
    EXPECT_FALSE(h.Clicked(7, 16)); // the same place: nothing happens
    EXPECT_EQ(h.List().Count(), 1);
    h.Clicked(12, 16);
    EXPECT_EQ(Positions(h), std::vector<qsizetype>({0, 7})); // line 1 had no entry
    h.Clicked(1, 16);
    EXPECT_EQ(Positions(h), std::vector<qsizetype>({0, 7, 12}));
    h.Clicked(13, 16); // the noted 1 lies on line 0, which has an entry
    EXPECT_EQ(h.List().Count(), 3);
    EXPECT_EQ(h.Index(), 2);
}

TEST(CursorHistory, WalkOverAAndBFromC) {
    // Entries A (index 0) and B (index 1) on lines 2 and 10; the caret at C, line 20.
    TCursorHistory h = LinesOf(10);
    h.Note(23);
    h.TextChanged(102, 300); // records A = 23
    h.TextChanged(201, 300); // records B = 102; noted C = 201
    ASSERT_EQ(h.Index(), 1);

    EXPECT_EQ(h.Back(201, 300), 102); // C becomes the newest entry; to B's line
    EXPECT_EQ(Positions(h), std::vector<qsizetype>({23, 102, 201}));
    EXPECT_EQ(h.Index(), 0);
    EXPECT_TRUE(h.CanGoForward());
    EXPECT_EQ(h.Back(102, 300), 23); // to A's line; no further
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_EQ(h.Index(), 0);
    EXPECT_EQ(h.Forward(), 102);
    EXPECT_EQ(h.Forward(), 201);
    EXPECT_FALSE(h.CanGoForward());
    EXPECT_TRUE(h.CanGoBack());
    EXPECT_EQ(h.Index(), 2);
    // Past the newest: nothing to go to, and the index stays raised.
    EXPECT_FALSE(h.Forward());
    EXPECT_EQ(h.Index(), 3);
}

TEST(CursorHistory, AClearedHistoryKeepsItsIndexAndSteps) {
    TCursorHistory h = LinesOf(10);
    h.TextChanged(15, 30);
    h.TextChanged(25, 30);
    h.Clear();
    EXPECT_EQ(h.List().Count(), 0);
    EXPECT_EQ(h.Index(), 1);
    EXPECT_TRUE(h.CanGoBack());
    EXPECT_FALSE(h.Back(25, 30)); // no entry behind the index: nothing happens
    EXPECT_FALSE(h.CanGoForward());
}

TEST(CursorHistory, CutsAndPastesMoveThePositionsAfterThem) {
    // Cutting bcd from abcdef (start 1, last 3) with entries at 0, 2, 3 and 5:
    // 5 becomes 2; 2 is removed; 0 and 3 stay.
    TCursorHistory h = LinesOf(100);
    for (qsizetype p : {0, 2, 3, 5}) {
        h.Note(p);
        h.TextChanged(100 + p, 200);
    }
    ASSERT_EQ(Positions(h), std::vector<qsizetype>({0, 2, 3, 5}));
    h.AdjustForCut(1, 3);
    EXPECT_EQ(Positions(h), std::vector<qsizetype>({0, 3, 2}));

    // Pasting 4 units over bc (start 1, last 2) with entries at 4 and 2: 4
    // becomes 6; 2 stays.  With nothing selected, everything from the start on moves.
    TCursorHistory p = LinesOf(100);
    for (qsizetype q : {4, 2}) {
        p.Note(q);
        p.TextChanged(100 + q, 200);
    }
    p.AdjustForPaste(1, 2, 4);
    EXPECT_EQ(Positions(p), std::vector<qsizetype>({6, 2}));
    p.AdjustForPaste(2, 0, 3);
    EXPECT_EQ(Positions(p), std::vector<qsizetype>({9, 5}));
}
