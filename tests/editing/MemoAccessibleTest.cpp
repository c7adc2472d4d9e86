// What a screen reader gets from the edit view through Qt's accessibility
// interfaces: lines, characters and words around an offset, the caret and
// selection, edits that undo, and notices of caret and text changes.

#include "editing/view/MemoAccessible.h"
#include "editing/LfMemo.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>

#include <vector>

using quillo::editing::TLfMemo;

namespace {

std::vector<QAccessible::Event>& Seen() {
    static std::vector<QAccessible::Event> seen;
    return seen;
}

void Record(QAccessibleEvent* event) {
    Seen().push_back(event->type());
}

class MemoAccessibleTest : public ::testing::Test {
protected:
    void SetUp() override {
        memo.resize(400, 200);
        memo.show();
        memo.SetText(QStringLiteral("一行目\r\n𠮷x word two\r\nlast"));
        QApplication::processEvents();
        face = QAccessible::queryAccessibleInterface(&memo);
        ASSERT_NE(face, nullptr);
        text = face->textInterface();
        ASSERT_NE(text, nullptr);
    }

    QString At(int offset, QAccessible::TextBoundaryType boundary, int* s, int* e) const {
        return text->textAtOffset(offset, boundary, s, e);
    }

    TLfMemo memo;
    QAccessibleInterface* face = nullptr;
    QAccessibleTextInterface* text = nullptr;
};

} // namespace

TEST_F(MemoAccessibleTest, LinesCharactersAndWordsAroundAnOffset) {
    EXPECT_EQ(face->role(), QAccessible::EditableText);
    EXPECT_TRUE(face->state().multiLine);
    EXPECT_EQ(text->characterCount(), memo.TextLengthUnits());
    int s = -1;
    int e = -1;
    // The caret's line, read from the second line's start and middle.
    EXPECT_EQ(At(5, QAccessible::LineBoundary, &s, &e), QStringLiteral("𠮷x word two\r\n"));
    EXPECT_EQ(s, 5);
    EXPECT_EQ(e, 19);
    EXPECT_EQ(At(12, QAccessible::LineBoundary, &s, &e), QStringLiteral("𠮷x word two\r\n"));
    EXPECT_EQ(text->textBeforeOffset(12, QAccessible::LineBoundary, &s, &e),
              QStringLiteral("一行目\r\n"));
    EXPECT_EQ(text->textAfterOffset(12, QAccessible::LineBoundary, &s, &e), QStringLiteral("last"));
    EXPECT_EQ(text->textAfterOffset(20, QAccessible::LineBoundary, &s, &e), QString());
    // A character outside the basic plane is one character, and so is CR LF.
    EXPECT_EQ(At(5, QAccessible::CharBoundary, &s, &e), QStringLiteral("𠮷"));
    EXPECT_EQ(e - s, 2);
    EXPECT_EQ(At(3, QAccessible::CharBoundary, &s, &e), QStringLiteral("\r\n"));
    EXPECT_EQ(At(11, QAccessible::WordBoundary, &s, &e), QStringLiteral("word"));
    EXPECT_EQ(text->text(0, 3), QStringLiteral("一行目"));
    EXPECT_EQ(face->text(QAccessible::Value), memo.Text());
}

TEST_F(MemoAccessibleTest, CaretSelectionAndPlacesFollowTheView) {
    memo.SetSelStart(7);
    EXPECT_EQ(text->cursorPosition(), 7);
    text->setSelection(0, 9, 13);
    EXPECT_EQ(memo.SelText(), QStringLiteral("word"));
    int s = 0;
    int e = 0;
    ASSERT_EQ(text->selectionCount(), 1);
    text->selection(0, &s, &e);
    EXPECT_EQ(s, 9);
    EXPECT_EQ(e, 13);
    text->removeSelection(0);
    EXPECT_EQ(text->selectionCount(), 0);
    text->setCursorPosition(1000); // past the end: clamped
    EXPECT_EQ(text->cursorPosition(), memo.TextLengthUnits());

    // A character's box on the screen leads back to the character.
    const QRect box = text->characterRect(8);
    ASSERT_TRUE(box.isValid());
    EXPECT_EQ(text->offsetAtPoint(box.topLeft() + QPoint(1, box.height() / 2)), 8);
    EXPECT_LT(text->characterRect(5).left(), box.left());
}

TEST_F(MemoAccessibleTest, EditsGoThroughTheViewAndUndoAndReadOnlyRefusesThem) {
    auto* edit = face->editableTextInterface();
    ASSERT_NE(edit, nullptr);
    edit->insertText(0, QStringLiteral("前"));
    EXPECT_TRUE(memo.Text().startsWith(QStringLiteral("前一行目")));
    edit->replaceText(8, 9, QStringLiteral("X"));
    EXPECT_EQ(memo.Line(1), QStringLiteral("𠮷X word two"));
    edit->deleteText(0, 1);
    memo.Undo();
    memo.Undo();
    memo.Undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("一行目\r\n𠮷x word two\r\nlast"));

    memo.SetReadOnly(true);
    EXPECT_TRUE(face->state().readOnly);
    edit->deleteText(0, 3);
    EXPECT_EQ(memo.Line(0), QStringLiteral("一行目"));
}

TEST_F(MemoAccessibleTest, ReadersAreToldOfCaretMovesAndEditsOnlyWhileTheyListen) {
    using quillo::editing::view::TMemoAccessible;
    // A reader of our own in place of the platform's bridge.
    bool listening = false;
    const auto listens = TMemoAccessible::Listening;
    const auto tell = TMemoAccessible::Tell;
    TMemoAccessible::Listening = [&] {
        return listening;
    };
    TMemoAccessible::Tell = Record;
    Seen().clear();
    memo.SetSelStart(2);
    memo.SetSelText(QStringLiteral("z"));
    EXPECT_TRUE(Seen().empty()); // nobody listens: nothing is built
    listening = true;
    memo.SetSelStart(4);
    memo.SetSelLength(2);
    memo.SetSelText(QStringLiteral("ab"));
    TMemoAccessible::Listening = listens;
    TMemoAccessible::Tell = tell;
    const auto count = [&](QAccessible::Event type) {
        return std::count(Seen().begin(), Seen().end(), type);
    };
    EXPECT_GE(count(QAccessible::TextCaretMoved), 1);
    EXPECT_GE(count(QAccessible::TextSelectionChanged), 1);
    EXPECT_EQ(count(QAccessible::TextRemoved), 1);
    EXPECT_EQ(count(QAccessible::TextInserted), 1);
}
