// The edit view's own insides: caret moves, selection, mouse, input method,
// undo, long lines and painting, driven through real Qt events.

#include "document/LineBreaks.h"
#include "document/TextBuffer.h"
#include "editing/DisplayWidth.h"
#include "editing/LfMemo.h"
#include "editing/view/LineLayouts.h"
#include "editing/view/TextMoves.h"
#include "support/MemoLook.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextCharFormat>
#include <QTimer>

#include <cmath>

using quillo::document::TTextBuffer;
using quillo::editing::TLfMemo;
namespace view = quillo::editing::view;

namespace {

class MemoViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        quillo::testing::ApplyMainWindowLook(memo);
        memo.show();
        memo.setFocus();
        QApplication::processEvents();
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(&memo, key, mods);
    }

    // Mouse events with their own time stamps, so that clicks count as the
    // test means them to (single, double, triple).
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton) {
        FTime += type == QEvent::MouseButtonPress && FTime > 0 ? 10 : 1;
        QMouseEvent e(type, QPointF(at), memo.viewport()->mapToGlobal(QPointF(at)), button, buttons,
                      mods);
        e.setTimestamp(FTime);
        QApplication::sendEvent(memo.viewport(), &e);
    }
    void Click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, mods);
        Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton, mods);
    }
    void DoubleClick(QPoint at) {
        Click(at);
        Mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
    }
    void PauseMouse() { FTime += 5000; }

    // Viewport point in the middle of the caret's cell when it stands at pos.
    QPoint PointOf(qsizetype pos) {
        const qsizetype keep = memo.SelStart();
        memo.SetSelStart(pos);
        const QPoint p = memo.CaretRect().center() + QPoint(1, 0);
        memo.SetSelStart(keep);
        return p;
    }

    void SendIm(const QString& preedit, const QString& commit,
                QList<QInputMethodEvent::Attribute> attrs = {}, int replaceFrom = 0,
                int replaceLength = 0) {
        QInputMethodEvent e(preedit, attrs);
        if (!commit.isEmpty() || replaceLength > 0) {
            e.setCommitString(commit, replaceFrom, replaceLength);
        }
        QApplication::sendEvent(&memo, &e);
    }

    TLfMemo memo;
    quint64 FTime = 0;
};

// ---- keyboard ----

TEST_F(MemoViewTest, ArrowsStepOverLineBreaksAndWholeCharacters) {
    const QString pair = QString::fromUtf16(u"\U0001F600");
    const QString accented = QStringLiteral("e\u0301"); // e + combining acute
    memo.SetText(QStringLiteral("ab\r\n") + pair + accented + QStringLiteral("z"));
    memo.SetSelStart(2); // end of the first line
    Key(Qt::Key_Right);
    EXPECT_EQ(memo.SelStart(), 4) << "the caret never stops between CR and LF";
    Key(Qt::Key_Right);
    EXPECT_EQ(memo.SelStart(), 6) << "a surrogate pair is one step";
    Key(Qt::Key_Right);
    EXPECT_EQ(memo.SelStart(), 8) << "a base with its mark is one step";
    Key(Qt::Key_Left);
    EXPECT_EQ(memo.SelStart(), 6);
    Key(Qt::Key_Left);
    EXPECT_EQ(memo.SelStart(), 4);
    Key(Qt::Key_Left);
    EXPECT_EQ(memo.SelStart(), 2);

    // Placing the caret between CR and LF puts it at the line's end.
    memo.SetSelStart(3);
    EXPECT_EQ(memo.SelStart(), 2);
}

TEST_F(MemoViewTest, HomeEndAndDocumentEnds) {
    memo.SetText(QStringLiteral("first line\r\nsecond line\r\nthird"));
    memo.SetSelStart(memo.LineIndex(1) + 3);
    Key(Qt::Key_End);
    EXPECT_EQ(memo.SelStart(), memo.LineIndex(1) + 11);
    Key(Qt::Key_Home);
    EXPECT_EQ(memo.SelStart(), memo.LineIndex(1));
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(memo.SelStart(), memo.TextLengthUnits());
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(memo.SelStart(), 0);
    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), QStringLiteral("first line"));
}

TEST_F(MemoViewTest, UpAndDownKeepTheColumn) {
    memo.SetText(QStringLiteral("abcdef\r\nab\r\nabcdef"));
    memo.SetSelStart(5);
    Key(Qt::Key_Down);
    EXPECT_EQ(memo.SelStart(), 8 + 2) << "a short line takes the caret to its end";
    Key(Qt::Key_Down);
    EXPECT_EQ(memo.SelStart(), 12 + 5) << "the column comes back on a long enough line";
    Key(Qt::Key_Down);
    EXPECT_EQ(memo.SelStart(), 17) << "nothing below the last line";
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(memo.SelStart(), 5);
    Key(Qt::Key_Up);
    EXPECT_EQ(memo.SelStart(), 5);
}

TEST_F(MemoViewTest, PageKeysMoveByAScreenAndScroll) {
    QString text;
    for (int i = 0; i < 300; ++i) {
        text += QStringLiteral("line %1\r\n").arg(i);
    }
    memo.SetText(text);
    memo.SetSelStart(0);
    const int rows = memo.viewport()->height() / memo.LineHeight();
    ASSERT_GT(rows, 3);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(memo.LineFromChar(-1), rows);
    EXPECT_EQ(memo.verticalScrollBar()->value(), rows);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(memo.LineFromChar(-1), 2 * rows);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(memo.LineFromChar(-1), rows);
    Key(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(memo.SelStart(), memo.LineIndex(rows));
    EXPECT_EQ(memo.LineFromChar(memo.SelStart() + memo.SelLength()), 2 * rows);
    // The scroll bar counts lines.
    EXPECT_EQ(memo.verticalScrollBar()->maximum(), memo.GetLineCount() - rows);
}

TEST_F(MemoViewTest, WordMovesFollowKindsOfCharacters) {
    memo.SetText(QStringLiteral("foo bar  baz\r\n日本語のテキスト"));
    std::vector<qsizetype> stops;
    memo.SetSelStart(0);
    for (int i = 0; i < 8; ++i) {
        Key(Qt::Key_Right, Qt::ControlModifier);
        stops.push_back(memo.SelStart());
    }
    // words, the line end, the next line, then ideographs, hiragana, katakana
    EXPECT_EQ(stops, (std::vector<qsizetype>{4, 9, 12, 14, 17, 18, 22, 22}));
    std::vector<qsizetype> back;
    for (int i = 0; i < 7; ++i) {
        Key(Qt::Key_Left, Qt::ControlModifier);
        back.push_back(memo.SelStart());
    }
    EXPECT_EQ(back, (std::vector<qsizetype>{18, 17, 14, 12, 9, 4, 0}));
    memo.SetSelStart(4);
    Key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), QStringLiteral("bar  "));
}

TEST_F(MemoViewTest, ShiftExtendsAcrossLineBreaks) {
    memo.SetText(QStringLiteral("abc\r\ndef"));
    memo.SetSelStart(1);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), QStringLiteral("bc"));
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), QStringLiteral("bc\r\n"));
    Key(Qt::Key_Down, Qt::ShiftModifier); // nothing below: stays
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), QStringLiteral("b"));
    // An arrow without Shift leaves the selection at its side.
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right);
    EXPECT_EQ(memo.SelLength(), 0);
    EXPECT_EQ(memo.SelStart(), 3);
    memo.SetSelStart(0);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), QStringLiteral("abc\r\n"));
    EXPECT_EQ(memo.CaretPos().Y, 1);
}

TEST_F(MemoViewTest, BackspaceAndDeleteTakeALineBreakWhole) {
    memo.SetText(QStringLiteral("ab\r\ncd"));
    memo.SetSelStart(4);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(memo.Text(), QStringLiteral("abcd"));
    EXPECT_EQ(memo.SelStart(), 2);
    memo.SetText(QStringLiteral("ab\r\ncd"));
    memo.SetSelStart(2);
    Key(Qt::Key_Delete);
    EXPECT_EQ(memo.Text(), QStringLiteral("abcd"));
    EXPECT_EQ(memo.SelStart(), 2);

    const QString pair = QString::fromUtf16(u"\U0001F600");
    memo.SetText(QStringLiteral("x") + pair + QStringLiteral("e\u0301y"));
    memo.SetSelStart(3);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(memo.Text(), QStringLiteral("xe\u0301y")) << "a surrogate pair goes whole";
    Key(Qt::Key_Delete);
    EXPECT_EQ(memo.Text(), QStringLiteral("xy")) << "Delete takes the mark with its base";
    memo.SetSelStart(0);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(memo.Text(), QStringLiteral("xy"));
    memo.SetSelStart(2);
    Key(Qt::Key_Delete);
    EXPECT_EQ(memo.Text(), QStringLiteral("xy"));
}

TEST_F(MemoViewTest, EnterTabAndTypingInsertText) {
    QSignalSpy changes(&memo, &TLfMemo::ContentsChanged);
    QTest::keyClicks(&memo, QStringLiteral("ab"));
    Key(Qt::Key_Return);
    Key(Qt::Key_Tab);
    QTest::keyClicks(&memo, QStringLiteral("c"));
    EXPECT_EQ(memo.Text(), QStringLiteral("ab\r\n\tc"));
    EXPECT_TRUE(memo.hasFocus()) << "Tab is text, not a move of the focus";
    ASSERT_EQ(changes.count(), 5);
    EXPECT_EQ(changes.at(2), (QList<QVariant>{qsizetype{2}, qsizetype{0}, qsizetype{2}}));

    // Typing over a selection replaces it.
    memo.SetSelStart(0);
    memo.SetSelLength(2);
    QTest::keyClicks(&memo, QStringLiteral("X"));
    EXPECT_EQ(memo.Text(), QStringLiteral("X\r\n\tc"));

    // Overwrite mode replaces characters but never a line break.
    memo.SetSelStart(0);
    Key(Qt::Key_Insert);
    QTest::keyClicks(&memo, QStringLiteral("YZ"));
    EXPECT_EQ(memo.Text(), QStringLiteral("YZ\r\n\tc"));
    Key(Qt::Key_Insert);
    QTest::keyClicks(&memo, QStringLiteral("!"));
    EXPECT_EQ(memo.Text(), QStringLiteral("YZ!\r\n\tc"));
}

TEST_F(MemoViewTest, KeyDownAndKeyPressHandlersComeFirst) {
    int downs = 0;
    QObject::connect(&memo, &TLfMemo::OnKeyDown, [&](QKeyEvent* e, bool& handled) {
        ++downs;
        handled = e->key() == Qt::Key_Q;
    });
    QObject::connect(&memo, &TLfMemo::OnKeyPress, [&](QKeyEvent* e, bool& handled) {
        handled = e->text() == QStringLiteral("w");
    });
    QTest::keyClicks(&memo, QStringLiteral("qwe"));
    EXPECT_EQ(downs, 3);
    EXPECT_EQ(memo.Text(), QStringLiteral("e"));
}

TEST_F(MemoViewTest, ReadOnlyMovesButDoesNotEdit) {
    memo.SetText(QStringLiteral("abc"));
    memo.SetReadOnly(true);
    memo.SetSelStart(1);
    QTest::keyClicks(&memo, QStringLiteral("x"));
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Delete);
    EXPECT_EQ(memo.Text(), QStringLiteral("abc"));
    Key(Qt::Key_Right);
    EXPECT_EQ(memo.SelStart(), 2);
    EXPECT_FALSE(memo.inputMethodQuery(Qt::ImEnabled).toBool());
    memo.SetReadOnly(false);
    EXPECT_TRUE(memo.inputMethodQuery(Qt::ImEnabled).toBool());
}

// ---- mouse ----

TEST_F(MemoViewTest, ClicksPlaceTheCaret) {
    memo.SetText(QStringLiteral("hello world\r\n日本語のテキスト\r\nlast"));
    const qsizetype target = memo.LineIndex(1) + 3;
    const QPoint at = PointOf(target);
    int clicks = 0;
    QObject::connect(&memo, &TLfMemo::OnClick, [&] { ++clicks; });
    Click(at);
    EXPECT_EQ(memo.SelStart(), target);
    EXPECT_EQ(clicks, 1);
    // Past the end of a line: its end; below the last line: the last line.
    PauseMouse();
    Click(QPoint(memo.viewport()->width() - 5, at.y()));
    EXPECT_EQ(memo.SelStart(), memo.LineIndex(1) + 8);
    PauseMouse();
    Click(QPoint(2, memo.viewport()->height() - 3));
    EXPECT_EQ(memo.LineFromChar(-1), 2);
    // Shift+click extends from the caret.
    memo.SetSelStart(2);
    PauseMouse();
    Click(PointOf(8), Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), QStringLiteral("llo wo"));
}

TEST_F(MemoViewTest, DoubleClickSelectsAWordTripleClickTheLine) {
    memo.SetText(QStringLiteral("hello world\r\n日本語のテキスト\r\nlast"));
    DoubleClick(PointOf(7));
    EXPECT_EQ(memo.SelText(), QStringLiteral("world"));
    PauseMouse();
    DoubleClick(PointOf(memo.LineIndex(1) + 1));
    EXPECT_EQ(memo.SelText(), QStringLiteral("日本語"));
    PauseMouse();
    const QPoint kana = PointOf(memo.LineIndex(1) + 6);
    DoubleClick(kana);
    EXPECT_EQ(memo.SelText(), QStringLiteral("テキスト"));
    // A third press soon after the double click takes the line with its break.
    Mouse(QEvent::MouseButtonPress, kana, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, kana, Qt::NoButton);
    EXPECT_EQ(memo.SelText(), QStringLiteral("日本語のテキスト\r\n"));
}

TEST_F(MemoViewTest, DraggingSelectsAndScrollsPastTheEdge) {
    QString text;
    for (int i = 0; i < 200; ++i) {
        text += QStringLiteral("row %1\r\n").arg(i, 3, 10, QChar(u'0'));
    }
    memo.SetText(text);
    memo.SetSelStart(0);
    memo.verticalScrollBar()->setValue(0);
    Mouse(QEvent::MouseButtonPress, PointOf(1), Qt::LeftButton);
    Mouse(QEvent::MouseMove, PointOf(memo.LineIndex(2) + 2), Qt::LeftButton, Qt::NoModifier,
          Qt::NoButton);
    EXPECT_EQ(memo.SelStart(), 1);
    EXPECT_EQ(memo.SelLength(), memo.LineIndex(2) + 2 - 1);
    // Held below the view, the selection goes on down while the view scrolls.
    Mouse(QEvent::MouseMove, QPoint(5, memo.viewport()->height() + 20), Qt::LeftButton,
          Qt::NoModifier, Qt::NoButton);
    const int before = memo.verticalScrollBar()->value();
    QTest::qWait(300);
    EXPECT_GT(memo.verticalScrollBar()->value(), before);
    EXPECT_GT(memo.LineFromChar(-1), memo.verticalScrollBar()->value());
    Mouse(QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    const int after = memo.verticalScrollBar()->value();
    QTest::qWait(150);
    EXPECT_EQ(memo.verticalScrollBar()->value(), after) << "the release stops the scrolling";
    EXPECT_EQ(memo.SelStart(), 1);
}

TEST_F(MemoViewTest, WheelScrollsAndRightClickShowsThePopupMenu) {
    QString text;
    for (int i = 0; i < 100; ++i) {
        text += QStringLiteral("%1\r\n").arg(i);
    }
    memo.SetText(text);
    memo.verticalScrollBar()->setValue(0);
    QWheelEvent wheel(QPointF(10, 10), memo.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(memo.viewport(), &wheel);
    EXPECT_EQ(memo.verticalScrollBar()->value(), QApplication::wheelScrollLines());

    QMenu menu;
    menu.addAction(QStringLiteral("x"));
    int shown = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        ++shown;
        QTimer::singleShot(0, &menu, &QMenu::close);
    });
    memo.SetPopupMenu(&menu);
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5),
                        memo.viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(memo.viewport(), &e);
    EXPECT_EQ(shown, 1);
}

TEST_F(MemoViewTest, DroppedTextGoesInDroppedFilesDoNot) {
    memo.SetText(QStringLiteral("hello world"));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt"))});
    QDragEnterEvent enterFiles(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton,
                               Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &enterFiles);
    EXPECT_FALSE(enterFiles.isAccepted()) << "files are the window's to open";

    QMimeData text;
    text.setText(QStringLiteral("big\n"));
    const QPoint at = PointOf(6);
    QDragEnterEvent enterText(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &enterText);
    EXPECT_TRUE(enterText.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &drop);
    EXPECT_EQ(memo.Text(), QStringLiteral("hello big\r\nworld"));
    memo.undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("hello world"));
}

TEST_F(MemoViewTest, DropsArePastesAndOnlyTheLeftButtonClicks) {
    memo.SetText(QStringLiteral("hello world"));
    int pastes = 0;
    qsizetype pasteAt = -1;
    QObject::connect(&memo, &TLfMemo::OnPaste, [&] {
        ++pastes;
        pasteAt = memo.SelStart(); // the text is not in yet
        EXPECT_EQ(memo.Text(), QStringLiteral("hello world"));
    });
    int clicks = 0;
    QObject::connect(&memo, &TLfMemo::OnClick, [&] { ++clicks; });

    QMimeData text;
    text.setText(QStringLiteral("big "));
    QDragEnterEvent enter(PointOf(6), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &enter);
    QDropEvent drop(QPointF(PointOf(6)), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &drop);
    EXPECT_EQ(memo.Text(), QStringLiteral("hello big world"));
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(pasteAt, 6);

    const QPoint at = PointOf(2);
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        PauseMouse();
        Mouse(QEvent::MouseButtonPress, at, button, Qt::NoModifier, button);
        Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton, Qt::NoModifier, button);
    }
    EXPECT_EQ(clicks, 0) << "a right or middle button is no click";
    PauseMouse();
    Click(at);
    EXPECT_EQ(clicks, 1);
}

// Needs a desktop with a selection clipboard (X11); CTest also runs it on a
// private X display.
TEST_F(MemoViewTest, MiddleClickPastesTheSelectionAsAPaste) {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard->supportsSelection()) {
        GTEST_SKIP() << "no selection clipboard on this platform";
    }
    memo.SetText(QStringLiteral("hello world"));
    clipboard->setText(QStringLiteral("new\n"), QClipboard::Selection);
    int pastes = 0;
    qsizetype pasteAt = -1;
    QObject::connect(&memo, &TLfMemo::OnPaste, [&] {
        ++pastes;
        pasteAt = memo.SelStart();
    });
    int clicks = 0;
    QObject::connect(&memo, &TLfMemo::OnClick, [&] { ++clicks; });
    const QPoint at = PointOf(6);
    Mouse(QEvent::MouseButtonPress, at, Qt::MiddleButton, Qt::NoModifier, Qt::MiddleButton);
    Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton, Qt::NoModifier, Qt::MiddleButton);
    EXPECT_EQ(memo.Text(), QStringLiteral("hello new\r\nworld"));
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(pasteAt, 6);
    EXPECT_EQ(clicks, 0);
    memo.undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("hello world"));
}

// ---- input method ----

TEST_F(MemoViewTest, PreeditShowsWithoutChangingTheText) {
    memo.SetText(QStringLiteral("ab"));
    memo.SetSelStart(1);
    const QRect caretBefore = memo.CaretRect();
    QSignalSpy changes(&memo, &TLfMemo::ContentsChanged);
    QSignalSpy texts(&memo, &TLfMemo::textChanged);
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    SendIm(QStringLiteral("にほん"), QString(),
           {{QInputMethodEvent::TextFormat, 0, 3, underline},
            {QInputMethodEvent::Cursor, 3, 1, QVariant()}});
    EXPECT_EQ(memo.Text(), QStringLiteral("ab"));
    EXPECT_EQ(memo.PreeditText(), QStringLiteral("にほん"));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(texts.count(), 0);
    EXPECT_GT(memo.CaretRect().x(), caretBefore.x()) << "the caret stands after the pre-edit";
    // The input method sees the document, not its own unfinished text.
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("ab"));
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);

    // Cancel: an empty pre-edit and no commit leaves nothing behind.
    SendIm(QString(), QString());
    EXPECT_EQ(memo.PreeditText(), QString());
    EXPECT_EQ(memo.Text(), QStringLiteral("ab"));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(memo.CaretRect(), caretBefore);
}

TEST_F(MemoViewTest, CommitInsertsAsOneTypedChange) {
    memo.SetText(QStringLiteral("ab"));
    memo.SetSelStart(1);
    SendIm(QStringLiteral("にほんご"), QString());
    QSignalSpy changes(&memo, &TLfMemo::ContentsChanged);
    QSignalSpy texts(&memo, &TLfMemo::textChanged);
    SendIm(QString(), QStringLiteral("日本語"));
    EXPECT_EQ(memo.Text(), QStringLiteral("a日本語b"));
    EXPECT_EQ(memo.SelStart(), 4);
    EXPECT_EQ(memo.PreeditText(), QString());
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0), (QList<QVariant>{qsizetype{1}, qsizetype{0}, qsizetype{3}}));
    EXPECT_EQ(texts.count(), 1);
    // A commit that takes back the character before the caret.
    SendIm(QString(), QStringLiteral("本"), {}, -1, 1);
    EXPECT_EQ(memo.Text(), QStringLiteral("a日本本b"));
    memo.undo();
    memo.undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("ab"));
}

TEST_F(MemoViewTest, InputMethodQueriesAnswerAroundTheCaret) {
    memo.SetText(QStringLiteral("first\r\nsecond line\r\nthird"));
    memo.SetSelStart(memo.LineIndex(1) + 2);
    memo.SetSelLength(4);
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImSurroundingText).toString(),
              QStringLiteral("second line"));
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImCursorPosition).toInt(), 6);
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImAnchorPosition).toInt(), 2);
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImCurrentSelection).toString(), QStringLiteral("cond"));
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImFont).value<QFont>(), memo.font());
    const QRectF r = memo.inputMethodQuery(Qt::ImCursorRectangle).toRectF();
    EXPECT_EQ(r.toRect(), memo.CaretRect().translated(memo.viewport()->geometry().topLeft()));
    EXPECT_TRUE(memo.testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(MemoViewTest, InputMethodSelectionCountsLikeTheSurroundingText) {
    memo.SetText(QStringLiteral("first\r\nsecond line\r\nthird"));
    const qsizetype second = memo.LineIndex(1);
    memo.SetSelStart(second + 3);
    ASSERT_EQ(memo.inputMethodQuery(Qt::ImCursorPosition).toInt(), 3);
    // Offsets within the line the input method was shown, not the document.
    SendIm(QString(), QString(), {{QInputMethodEvent::Selection, 7, 4, QVariant()}});
    EXPECT_EQ(memo.SelText(), QStringLiteral("line"));
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImCurrentSelection).toString(), QStringLiteral("line"));
    // With a pre-edit: the caret moves first and the pre-edit stands there.
    SendIm(QStringLiteral("かな"), QString(), {{QInputMethodEvent::Selection, 0, 0, QVariant()}});
    EXPECT_EQ(memo.SelStart(), second);
    EXPECT_EQ(memo.SelLength(), 0);
    EXPECT_EQ(memo.PreeditText(), QStringLiteral("かな"));
    SendIm(QString(), QStringLiteral("仮名"));
    EXPECT_EQ(memo.Text(), QStringLiteral("first\r\n仮名second line\r\nthird"));
    EXPECT_EQ(memo.SelStart(), second + 2);
}

TEST_F(MemoViewTest, InputMethodSelectionInALongLineCountsFromTheShownPart) {
    memo.SetText(QStringLiteral("head\r\n") + QString(3000, u'x'));
    const qsizetype line = memo.LineIndex(1);
    memo.SetSelStart(line + 2500);
    const int cursor = memo.inputMethodQuery(Qt::ImCursorPosition).toInt();
    const QString shown = memo.inputMethodQuery(Qt::ImSurroundingText).toString();
    ASSERT_LT(shown.size(), 3000) << "only a part of the line is shown";
    ASSERT_LT(cursor, 2500);
    // A commit and a caret move in one event: the offsets are those of the
    // text shown before the commit.
    QInputMethodEvent e(QString(), {{QInputMethodEvent::Selection, cursor - 10, 0, QVariant()}});
    e.setCommitString(QStringLiteral("YZ"));
    QApplication::sendEvent(&memo, &e);
    EXPECT_EQ(memo.Text().mid(line + 2500, 2), QStringLiteral("YZ"));
    EXPECT_EQ(memo.SelStart(), line + 2490);
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImSurroundingText)
                  .toString()
                  .mid(memo.inputMethodQuery(Qt::ImCursorPosition).toInt(), 12),
              QStringLiteral("xxxxxxxxxxYZ"));
}

// ---- undo and redo ----

TEST_F(MemoViewTest, TypingRunsAndPastesUndoAsSteps) {
    QSignalSpy undoable(&memo, &TLfMemo::undoAvailable);
    QTest::keyClicks(&memo, QStringLiteral("abc"));
    EXPECT_TRUE(memo.CanUndo());
    EXPECT_EQ(undoable.count(), 1);
    Key(Qt::Key_Left);
    QTest::keyClicks(&memo, QStringLiteral("x"));
    EXPECT_EQ(memo.Text(), QStringLiteral("abxc"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), QStringLiteral("abc")) << "a caret move ends the typing run";
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), QString());
    EXPECT_FALSE(memo.CanUndo());
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), QStringLiteral("abc"));
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(memo.Text(), QStringLiteral("abxc"));
    EXPECT_EQ(memo.SelStart(), 3);

    QApplication::clipboard()->setText(QStringLiteral("p\nq"));
    memo.SetSelStart(0);
    memo.Paste();
    EXPECT_EQ(memo.Text(), QStringLiteral("p\r\nqabxc")) << "pasted breaks become CR LF";
    EXPECT_EQ(memo.SelStart(), 4);
    memo.Undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("abxc"));
    memo.SetSelStart(1);
    memo.SetSelLength(2);
    memo.SetSelText(QStringLiteral("ZZ\rZ"));
    EXPECT_EQ(memo.Text(), QStringLiteral("aZZ\r\nZc"));
    memo.undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("abxc"));
    EXPECT_EQ(memo.SelText(), QStringLiteral("bx")) << "undo restores the selection";
}

TEST_F(MemoViewTest, ModifiedFollowsTheSavedState) {
    memo.LoadText(QStringLiteral("saved"));
    EXPECT_FALSE(memo.Modified());
    EXPECT_FALSE(memo.CanUndo());
    QSignalSpy modified(&memo, &TLfMemo::modificationChanged);
    memo.SetSelStart(5);
    QTest::keyClicks(&memo, QStringLiteral("!"));
    EXPECT_TRUE(memo.Modified());
    memo.undo();
    EXPECT_FALSE(memo.Modified()) << "back at the loaded text";
    EXPECT_EQ(modified.count(), 2);
    memo.redo();
    memo.SetModified(false); // saved here
    memo.undo();
    EXPECT_TRUE(memo.Modified());
    memo.redo();
    EXPECT_FALSE(memo.Modified());
    memo.SetModified(true);
    EXPECT_TRUE(memo.Modified());
}

TEST_F(MemoViewTest, WholeTextChangesAreOneChangeOfTheDifference) {
    memo.SetText(QStringLiteral("alpha\r\nbeta\r\ngamma"));
    memo.SetSelStart(1);
    QSignalSpy changes(&memo, &TLfMemo::ContentsChanged);
    memo.SetText(QStringLiteral("alpha\r\nBETA!\r\ngamma"));
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0), (QList<QVariant>{qsizetype{7}, qsizetype{4}, qsizetype{5}}));
    EXPECT_EQ(memo.SelStart(), 1) << "a caret before the change stays";
    // A change next to a line break never splits it.
    memo.SetText(QStringLiteral("alpha\nX\r\nBETA!\r\ngamma"));
    EXPECT_EQ(memo.Text(), QStringLiteral("alpha\r\nX\r\nBETA!\r\ngamma"));
    memo.undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("alpha\r\nBETA!\r\ngamma"));
    memo.undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("alpha\r\nbeta\r\ngamma"));
}

TEST_F(MemoViewTest, BigRewriteIsOneStepBothWays) {
    QString before;
    QString after;
    for (int i = 0; i < 20'000; ++i) {
        before += QStringLiteral("a %1 b\r\n").arg(i);
        after += QStringLiteral("[a] %1 [b]\r\n").arg(i);
    }
    memo.LoadText(before);
    memo.SetSelStart(memo.LineIndex(10));
    QSignalSpy changes(&memo, &TLfMemo::ContentsChanged);
    memo.SetText(after);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).value<qsizetype>(), 0);
    EXPECT_EQ(memo.Text(), after);
    EXPECT_EQ(memo.GetLineCount(), 20'001);
    EXPECT_TRUE(memo.Modified());
    memo.undo();
    EXPECT_EQ(memo.Text(), before);
    EXPECT_FALSE(memo.Modified());
    EXPECT_EQ(memo.SelStart(), memo.LineIndex(10)) << "undo puts the caret back";
    memo.redo();
    EXPECT_EQ(memo.Text(), after);
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(MemoViewTest, LoadTextMendsLoneBreaks) {
    memo.LoadText(QStringLiteral("a\rb\nc\r\nd"));
    EXPECT_EQ(memo.Text(), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(memo.TextView(), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(memo.GetLineCount(), 4);
    EXPECT_TRUE(quillo::document::HasLoneBreak(u"x\r"));
    EXPECT_TRUE(quillo::document::HasLoneBreak(u"\nx"));
    EXPECT_FALSE(quillo::document::HasLoneBreak(u"x\r\ny\r\n"));
    // Long enough for the vector scan and the two halves.
    QString big(5'000'000, u'x');
    for (qsizetype i = 100; i < big.size(); i += 1000) {
        big[i] = u'\r';
        big[i + 1] = u'\n';
    }
    EXPECT_FALSE(quillo::document::HasLoneBreak(big));
    big[big.size() - 7] = u'\n';
    EXPECT_TRUE(quillo::document::HasLoneBreak(big));
}

TEST(LineBreaksTest, PositionsFollowTheLoneBreaksMadeCrLf) {
    using quillo::document::CrLfPosition;
    using quillo::document::ToCrLf;
    const QString text = QStringLiteral("a\nb\r\nc\rd\r");
    for (qsizetype pos = 0; pos <= text.size(); ++pos) {
        // Where the same characters end in the converted text.
        const qsizetype expected =
            ToCrLf(text.left(pos)).size() -
            (pos > 0 && text[pos - 1] == u'\r' && pos < text.size() && text[pos] == u'\n'
                 ? 1 // a CR of a pair is no lone break
                 : 0);
        EXPECT_EQ(CrLfPosition(text, pos), expected) << pos;
    }
    EXPECT_EQ(CrLfPosition(text, text.size()), ToCrLf(text).size());
    EXPECT_EQ(CrLfPosition(u"ab\r\ncd", 3), 3) << "between CR and LF stays there";
}

// ---- long lines ----

TEST_F(MemoViewTest, TenMegabyteLineStaysEditable) {
    QString line;
    line.reserve(10'000'000);
    const QString piece = QStringLiteral("0123456789abcdefghij日本語テキスト\t");
    while (line.size() < 10'000'000) {
        line += piece;
    }
    const qsizetype length = line.size();
    memo.LoadText(line + QStringLiteral("\r\nnext"));
    QApplication::processEvents();
    memo.SetSelStart(0);
    Key(Qt::Key_End);
    EXPECT_EQ(memo.SelStart(), length);
    QApplication::processEvents();
    EXPECT_GT(memo.horizontalScrollBar()->value(), 0);
    QTest::keyClicks(&memo, QStringLiteral("END"));
    Key(Qt::Key_Home);
    QTest::keyClicks(&memo, QStringLiteral("S"));
    QApplication::processEvents();
    EXPECT_EQ(memo.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(memo.LineLength(0), length + 4);
    EXPECT_EQ(memo.Line(0).left(3), QStringLiteral("S01"));
    EXPECT_EQ(memo.Line(0).right(4), QStringLiteral("\tEND"));
    EXPECT_EQ(memo.Line(1), QStringLiteral("next"));
    // Down from the long line and back up comes to the same place.
    memo.SetSelStart(500'000);
    memo.ScrollCaret();
    Key(Qt::Key_Down);
    EXPECT_EQ(memo.LineFromChar(-1), 1);
    Key(Qt::Key_Up);
    EXPECT_NEAR(static_cast<double>(memo.SelStart()), 500'000.0, 2.0);
    memo.undo();
    memo.undo();
    EXPECT_EQ(memo.LineLength(0), length);
}

TEST_F(MemoViewTest, RulerColumnsStayRightWhileALongLineIsEdited) {
    QString line;
    while (line.size() < 20'000) {
        line += QStringLiteral("ab\t日本ｶﾅ") + QString::fromUtf16(u"\U0001F600");
    }
    memo.SetText(line);
    const auto expected = [&] {
        const qsizetype caret = memo.SelStart();
        return quillo::editing::DisplayWidth(QStringView(memo.Line(0)).left(caret));
    };
    for (const qsizetype pos : {15'000, 15'007, 12'000, 19'990}) {
        memo.SetSelStart(pos);
        memo.ScrollCaret();
        memo.RepaintStrips();
        EXPECT_EQ(memo.RulerCaretColumn(), expected()) << pos;
    }
    // Edits before, at and after the counted positions.
    memo.SetSelStart(15'000);
    QTest::keyClicks(&memo, QStringLiteral("\tx"));
    EXPECT_EQ(memo.RulerCaretColumn(), expected());
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(memo.RulerCaretColumn(), expected());
    memo.SetSelStart(100);
    memo.SetSelText(QStringLiteral("日"));
    memo.SetSelStart(15'003);
    memo.RepaintStrips();
    EXPECT_EQ(memo.RulerCaretColumn(), expected());
    // The first column at the left edge follows the horizontal scroll.
    const qreal w = QFontMetricsF(memo.font()).horizontalAdvance(u'0');
    EXPECT_GT(memo.LastStartLow(), 0);
    EXPECT_LE(memo.LastStartLow(), memo.RulerCaretColumn());
    EXPECT_GE(memo.LastStartLow(), memo.RulerCaretColumn() - memo.viewport()->width() / w - 4);
}

TEST(LineLayoutsTest, PiecesOfALongLineAgreeOnPositions) {
    TTextBuffer buffer;
    QString text;
    const QString piece =
        QStringLiteral("abc\tdef日本語ｶﾀｶﾅ e\u0301") + QString::fromUtf16(u"\U0001F600");
    while (text.size() < 50'000) {
        text += piece;
    }
    buffer.Assign(text + QStringLiteral("\r\nshort"));
    view::TLineLayouts layouts(buffer);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(13);
    layouts.SetFont(font);
    const qsizetype length = buffer.LineEnd(0);
    ASSERT_GT(length, view::TLineLayouts::kLongLine);
    qreal lastX = -1;
    for (qsizetype p = 0; p < length; p += 997) {
        const qsizetype pos = view::SnapToCaret(buffer, p);
        if (!view::StartsCharacter(buffer, pos)) {
            continue;
        }
        const qreal x = layouts.X(pos);
        EXPECT_GT(x, lastX) << pos;
        lastX = x;
        EXPECT_EQ(layouts.PosAtX(0, x), pos) << pos;
    }
    EXPECT_GE(layouts.Width(0), layouts.X(length));
    // An edit inside the long line keeps positions before it where they were.
    const qreal before = layouts.X(1000);
    buffer.Insert(40'000, u"XYZ");
    layouts.Changed(40'000, 0, 0, 0);
    EXPECT_EQ(layouts.X(1000), before);
    EXPECT_EQ(layouts.PosAtX(0, layouts.X(40'003)), 40'003);
    EXPECT_EQ(layouts.PosAtX(1, 1e6), buffer.Length());
}

TEST(LineLayoutsTest, TabStopsCountFromTheLineStartInEveryPiece) {
    TTextBuffer buffer;
    QString text;
    while (text.size() < 20'000) {
        text += QStringLiteral("abcde\t日");
    }
    buffer.Assign(text);
    view::TLineLayouts layouts(buffer);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(13);
    layouts.SetFont(font);
    const qreal tab = layouts.TabDistance();
    // Shape the pieces in order, so that every piece begins where the one
    // before really ends.
    for (qsizetype p = 0; p < text.size(); p += 512) {
        layouts.X(p);
    }
    int checked = 0;
    for (qsizetype p = 6; p < text.size(); p += 7 * 37) {
        const qreal x = layouts.X(p); // right after a tab
        const qreal off = std::fmod(x, tab);
        EXPECT_LT(std::min(off, tab - off), 0.6) << p << " x=" << x;
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

// ---- painting ----

// What the screen shows (the window's backing store, which only repaints
// what the view asks for) against a full fresh paint of the text area; the
// caret's cell is left out, as the blink may be in either phase.
int StalePixels(TLfMemo& memo) {
    QApplication::processEvents();
    const QImage shown = memo.screen()
                             ->grabWindow(memo.window()->winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QImage fresh = memo.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint origin = memo.viewport()->mapTo(memo.window(), QPoint(0, 0));
    const QRect caret = memo.CaretRect().adjusted(-1, 0, 1, 0);
    int stale = 0;
    for (int y = 0; y < fresh.height(); ++y) {
        for (int x = 0; x < fresh.width(); ++x) {
            if (!caret.contains(x, y) &&
                fresh.pixel(x, y) != shown.pixel(origin.x() + x, origin.y() + y)) {
                ++stale;
            }
        }
    }
    return stale;
}

TEST_F(MemoViewTest, UndoRepaintsTheSelectionAndCaretItMoves) {
    QTest::keyClicks(&memo, QStringLiteral("one"));
    Key(Qt::Key_Return);
    QTest::keyClicks(&memo, QStringLiteral("two"));
    Key(Qt::Key_Return);
    QTest::keyClicks(&memo, QStringLiteral("three"));
    Key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&memo, QStringLiteral("x"));
    ASSERT_EQ(StalePixels(memo), 0);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(memo.HasSelection()) << "the first undo gives the selection back";
    EXPECT_EQ(StalePixels(memo), 0);
    // The second takes "three" away and leaves nothing selected: the rows
    // of the old selection that the change did not touch lose their highlight.
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), QStringLiteral("one\r\ntwo\r\n"));
    EXPECT_FALSE(memo.HasSelection());
    EXPECT_EQ(StalePixels(memo), 0);

    // An undo that puts the caret on another line takes it off the old one.
    memo.SetText(QStringLiteral("abc\r\ndef"));
    memo.SetSelStart(memo.LineIndex(1));
    QTest::keyClicks(&memo, QStringLiteral("xyz"));
    Key(Qt::Key_Up);
    Key(Qt::Key_End);
    ASSERT_EQ(StalePixels(memo), 0);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo.LineFromChar(-1), 1);
    EXPECT_EQ(StalePixels(memo), 0);
}

TEST_F(MemoViewTest, JapaneseScreenshotWithGutterAndRuler) {
    memo.resize(640, 260);
    memo.SetText(QStringLiteral("吾輩は猫である。名前はまだ無い。\r\n"
                                "\tどこで生れたかとんと見当がつかぬ。\r\n"
                                "ｶﾀｶﾅ half-width and ASCII 0123456789\r\n"
                                "が\u3099ぱ combining, 𠀋 outside the BMP\r\n"));
    memo.SetSelStart(memo.LineIndex(1) + 3);
    memo.SetSelLength(4);
    SendIm(QStringLiteral("にゅうりょく"), QString());
    memo.RepaintStrips();
    QApplication::processEvents();
    const QImage shot = memo.grab().toImage();
    const QString out = qEnvironmentVariable("QUILLO_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(out);
    ASSERT_TRUE(shot.save(out + QStringLiteral("/memo-view-japanese.png")));

    const QPoint origin = memo.viewport()->geometry().topLeft();
    const int lh = memo.LineHeight();
    // Glyphs in the first row of text.
    int dark = 0;
    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < lh; ++y) {
            dark += qGray(shot.pixel(origin.x() + x, origin.y() + y)) < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 50);
    // The gutter's background and the ruler's inverse caret cell.
    EXPECT_EQ(QColor(shot.pixel(3, origin.y() + 3 * lh + 2)), memo.GutterColor());
    // The ruler's inverse cell is over the column where the selection starts
    // ("\tどこ": a tab to column 8, then two double-width characters), and only there.
    EXPECT_EQ(memo.RulerCaretColumn(), 12);
    const QImage ruler = memo.RulerBitmap().toImage();
    const qreal cell = QFontMetricsF(memo.font()).horizontalAdvance(u'0');
    const auto inverseShare = [&](int k) {
        int inverse = 0;
        int all = 0;
        for (int x = static_cast<int>(3 + k * cell) + 1; x < static_cast<int>(3 + (k + 1) * cell);
             ++x) {
            for (int y = 0; y < ruler.height() - 2; ++y) {
                inverse += QColor(ruler.pixel(x, y)) == memo.LineColumnColor() ? 1 : 0;
                ++all;
            }
        }
        return all == 0 ? 0.0 : double(inverse) / all;
    };
    const int column = memo.RulerCaretColumn() - memo.LastStartLow();
    EXPECT_GT(inverseShare(column), 0.5);
    EXPECT_LT(inverseShare(column - 1), 0.3);
    EXPECT_LT(inverseShare(column + 1), 0.3);
    // The selection is highlighted on the second row.
    const QColor highlight = memo.palette().color(QPalette::Inactive, QPalette::Highlight);
    const QColor activeHighlight = memo.palette().color(QPalette::Active, QPalette::Highlight);
    int selected = 0;
    for (int x = 0; x < memo.viewport()->width(); ++x) {
        const QColor c(shot.pixel(origin.x() + x, origin.y() + lh + lh / 2));
        selected += c == highlight || c == activeHighlight ? 1 : 0;
    }
    EXPECT_GT(selected, 10);
}

} // namespace

// On a scaled screen (the case runs again with QT_SCALE_FACTOR=2) the gutter
// and ruler are drawn with the screen's own pixels, not stretched from half
// as many: the line numbers' glyph edges fall between logical pixels.
TEST(MemoViewScale, StripsAreDrawnAtTheScreensPixelDensity) {
    TLfMemo memo;
    memo.resize(300, 200);
    memo.SetText(QStringLiteral("1\r\n2\r\n3\r\n"));
    memo.show();
    QApplication::processEvents();
    const qreal ratio = memo.devicePixelRatioF();
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("2")) {
        EXPECT_EQ(ratio, 2.0);
    }
    for (const QPixmap* strip : {&memo.GutterBitmap(), &memo.RulerBitmap()}) {
        EXPECT_EQ(strip->devicePixelRatio(), ratio);
        EXPECT_EQ(strip->deviceIndependentSize().toSize() * ratio, strip->size());
    }
    EXPECT_EQ(memo.GutterBitmap().deviceIndependentSize().toSize().height(),
              memo.GutterRect().height());
    if (ratio >= 2.0) {
        // Ink that changes between the two device pixels of one logical pixel.
        const QImage gutter = memo.GutterBitmap().toImage();
        int finer = 0;
        for (int y = 0; y + 1 < gutter.height(); y += 2) {
            for (int x = 0; x + 1 < gutter.width(); x += 2) {
                finer += gutter.pixel(x, y) != gutter.pixel(x + 1, y) ? 1 : 0;
            }
        }
        EXPECT_GT(finer, 5);
    }
}
