#include "accessories/zkOverlayIcon.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "editing/LinesForm.h"
#include "search/LfFindDialog.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using quillo::app::TWin2kAppForm;
using quillo::editing::TLinesForm;

namespace {

class EditingCommandsTest : public quillo::testing::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        form = Start();
        form->activateWindow();
        QApplication::processEvents();
        memo = &Memo(*form);
        memo->setFocus();
    }

    QAction* Action(const char* name) const { return WindowTest::Action(*form, name); }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        WindowTest::Key(*form, key, mods);
    }

    // Loads a text as a freshly opened file, with the caret noted at its start
    // as a key going down there would.
    void Load(const QString& text) {
        memo->LoadText(text);
        QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
        form->Memo1KeyDown(&shift);
    }

    std::unique_ptr<TWin2kAppForm> form;
    quillo::editing::TLfMemo* memo = nullptr;
};

} // namespace

TEST_F(EditingCommandsTest, StartStatesAndTheFirstCharacter) {
    for (const char* name : {"FileSave1", "CodeExchange1", "SearchFind1", "SearchFindNext1",
                             "SearchFindFirst1", "CursorPast1", "CursorNext1"}) {
        EXPECT_FALSE(Action(name)->isEnabled()) << name;
    }
    for (const char* name : {"FileNew1", "FileOpen1", "JumpLine1", "SearchReplace1", "Print1"}) {
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    }
    const QList<QAction*> commands = form->findChildren<QAction*>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(commands.size(), 35);
    EXPECT_TRUE(Action("FileOpen1")->shortcut().isEmpty()); // no Ctrl+O anywhere
    for (QAction* a : commands) {
        EXPECT_NE(a->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")))
            << a->objectName().toStdString();
    }
    QTest::keyClicks(memo, QStringLiteral("x"));
    for (const char* name : {"FileSave1", "SearchFind1", "SearchFindNext1", "SearchFindFirst1"}) {
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    }
    EXPECT_EQ(Overlay(*form).ImageIndex(), 3);
    EXPECT_TRUE(Timer(*form).isActive());
}

TEST_F(EditingCommandsTest, CtrlASelectsAllAndNeverSavesAs) {
    Load(QStringLiteral("one\r\ntwo"));
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(memo->SelLength(), 8);
    EXPECT_TRUE(prompts.FileRequests.empty());
    EXPECT_EQ(Action("FileSaveAs1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));
}

TEST_F(EditingCommandsTest, F3WaitsForAChange) {
    int runs = 0;
    QObject::connect(Action("SearchFindNext1"), &QAction::triggered, [&] { ++runs; });
    Key(Qt::Key_F3);
    EXPECT_EQ(runs, 0);
    QTest::keyClicks(memo, QStringLiteral("a"));
    Key(Qt::Key_F3);
    EXPECT_EQ(runs, 1);
}

TEST_F(EditingCommandsTest, ReadOnlyGreysTheWritingEditActions) {
    Load(QStringLiteral("text"));
    memo->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    EXPECT_TRUE(Action("EditCut1")->isEnabled());
    EXPECT_TRUE(Action("EditPaste1")->isEnabled());
    memo->SetReadOnly(true);
    EXPECT_FALSE(Action("EditCut1")->isEnabled());
    EXPECT_FALSE(Action("EditDelete1")->isEnabled());
    EXPECT_FALSE(Action("EditPaste1")->isEnabled());
    EXPECT_FALSE(Action("EditUndo1")->isEnabled());
    EXPECT_TRUE(Action("EditCopy1")->isEnabled());
}

TEST_F(EditingCommandsTest, MenusToolbarAndContextMenuFollowTheLayout) {
    QStringList menus;
    for (QAction* a : form->menuBar()->actions()) {
        menus << a->text();
    }
    EXPECT_EQ(menus,
              (QStringList{"ファイル(&F)", "編集(&E)", "検索(&S)", "SQL変換(&Q)", "ヘルプ(&H)"}));
    QStringList edit;
    for (QAction* a : form->menuBar()->actions().at(1)->menu()->actions()) {
        edit << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    EXPECT_EQ(edit.last(), QStringLiteral("環境設定(&Z)..."));
    EXPECT_EQ(edit.first(), QStringLiteral("元に戻す(&U)"));
    auto* toolbar = form->findChild<QToolBar*>(QStringLiteral("ActionToolBar1"));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->actions().size(), 24 + 0); // 18 buttons and 6 separators
    QStringList popup;
    auto* popupMenu = form->findChild<QMenu*>(QStringLiteral("PopupActionBar1"));
    ASSERT_NE(popupMenu, nullptr);
    for (QAction* a : popupMenu->actions()) {
        popup << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    }
    EXPECT_EQ(popup, (QStringList{"EditCut1", "EditCopy1", "EditPaste1", "EditDelete1", "-",
                                  "SearchFind1", "SearchFindNext1", "SearchReplace1", "-",
                                  "JumpLine1", "CursorPast1", "CursorNext1"}));
    // A menu's own caption runs the same action.
    QAction* prefs = form->menuBar()->actions().at(1)->menu()->actions().last();
    prompts.DialogScripts.push_back([](QDialog&) { return int(QDialog::Rejected); });
    prefs->trigger();
    EXPECT_TRUE(prompts.DialogScripts.empty());
}

TEST_F(EditingCommandsTest, CaretStatusText) {
    EXPECT_EQ(form->CaretStatusText(), QStringLiteral("カーソル位置:1,1 文字数:0"));
    Load(QStringLiteral("abc\r\n"));
    memo->SetSelStart(3);
    EXPECT_EQ(form->CaretStatusText(), QStringLiteral("カーソル位置:1,4 文字数:5"));
    memo->SetSelStart(5);
    EXPECT_EQ(form->CaretStatusText(), QStringLiteral("カーソル位置:2,1 文字数:5"));
    Load(QStringLiteral("x\r\ny\r\n") + QString(1226, u'z'));
    memo->SetSelStart(6);
    EXPECT_EQ(form->CaretStatusText(), QStringLiteral("カーソル位置:3,1 文字数:1,232"));
    form->RefreshCaretStatus();
    EXPECT_EQ(memo->statusTip(), form->CaretStatusText());
}

TEST_F(EditingCommandsTest, StatusFollowsEveryKeyWhileThePointerRestsOnTheText) {
    Load(QStringLiteral("first line\r\nsecond\r\nthird"));
    memo->SetSelStart(0);
    QTest::mouseMove(memo->viewport(), QPoint(40, 5));
    QApplication::processEvents();
    ASSERT_TRUE(memo->underMouse());
    auto* status = form->statusBar();
    const auto shows = [&](const char* text) {
        EXPECT_EQ(status->currentMessage().toStdString(), text);
        EXPECT_EQ(memo->statusTip().toStdString(), text);
    };
    Key(Qt::Key_Right);
    shows("カーソル位置:1,2 文字数:25");
    Key(Qt::Key_End);
    shows("カーソル位置:1,11 文字数:25");
    Key(Qt::Key_Down);
    shows("カーソル位置:2,7 文字数:25");
    Key(Qt::Key_End, Qt::ControlModifier);
    shows("カーソル位置:3,6 文字数:25");
    Key(Qt::Key_Left, Qt::ShiftModifier);
    shows("カーソル位置:3,5 文字数:25");
    Key(Qt::Key_Backspace);
    shows("カーソル位置:3,5 文字数:24");
}

TEST_F(EditingCommandsTest, DropsMoveTheHistoryLikePastesAndRightClicksRecordNothing) {
    QString text;
    for (int i = 0; i < 30; ++i) {
        text += QStringLiteral("line %1\r\n").arg(i, 2, 10, QLatin1Char('0'));
    }
    Load(text); // every line 9 units with its break
    // The viewport point of a position, the caret left where it is.
    const auto pointOf = [&](qsizetype pos) {
        const qsizetype keep = memo->SelStart();
        memo->SetSelStart(pos);
        const QPoint at = memo->CaretRect().center() + QPoint(1, 0);
        memo->SetSelStart(keep);
        return at;
    };
    const auto press = [&](Qt::MouseButton button, qsizetype pos) {
        QTest::mouseClick(memo->viewport(), button, Qt::NoModifier, pointOf(pos));
        QTest::qWait(QApplication::doubleClickInterval() + 10);
    };
    // The caret moved by a command, not by the user: a right click there
    // must not note the line it left.
    memo->SetSelStart(memo->LineIndex(10) + 2);
    press(Qt::RightButton, memo->LineIndex(20));
    EXPECT_FALSE(Action("CursorPast1")->isEnabled());
    EXPECT_EQ(memo->SelStart(), memo->LineIndex(10) + 2);

    press(Qt::LeftButton, memo->LineIndex(10) + 2);
    press(Qt::LeftButton, memo->LineIndex(20) + 1); // records line 10, noted by the click before
    ASSERT_TRUE(Action("CursorPast1")->isEnabled());
    // Two lines dropped in at the start of line 2 move line 10 down by one.
    QMimeData dropped;
    dropped.setText(QStringLiteral("AB\nCD"));
    const QPoint target = pointOf(memo->LineIndex(2));
    QDragEnterEvent enter(target, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->viewport(), &enter);
    QDropEvent drop(QPointF(target), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->viewport(), &drop);
    ASSERT_EQ(memo->Line(2), QStringLiteral("AB"));
    // Back through the entries: the line the drop left, then old line 10.
    QStringList visited;
    while (Action("CursorPast1")->isEnabled()) {
        form->CursorPast1Execute();
        visited << memo->Line(memo->LineFromChar(-1));
    }
    EXPECT_TRUE(visited.contains(QStringLiteral("line 10"))) << visited.join(u',').toStdString();
    EXPECT_FALSE(visited.contains(QStringLiteral("line 09"))) << visited.join(u',').toStdString();
}

TEST_F(EditingCommandsTest, EnterRecordsTheLineItLeftAndTheWalkComesBack) {
    Load(QStringLiteral("one\r\ntwo\r\nthree"));
    EXPECT_FALSE(Action("CursorPast1")->isEnabled());
    memo->SetSelStart(3);
    Key(Qt::Key_Return);
    EXPECT_TRUE(Action("CursorPast1")->isEnabled());
    EXPECT_FALSE(Action("CursorNext1")->isEnabled());
    // Back: the line the Enter left, at its start; the walk can go on no further.
    form->CursorPast1Execute();
    EXPECT_EQ(memo->SelStart(), 0);
    EXPECT_FALSE(Action("CursorPast1")->isEnabled());
    EXPECT_TRUE(Action("CursorNext1")->isEnabled());
    // Forward: the line the caret had when the walk began.
    form->CursorNext1Execute();
    EXPECT_EQ(memo->SelStart(), memo->LineIndex(1));
    EXPECT_FALSE(Action("CursorNext1")->isEnabled());
    EXPECT_TRUE(Action("CursorPast1")->isEnabled());
}

TEST_F(EditingCommandsTest, ClicksAndCutsFeedTheHistory) {
    QString text;
    for (int i = 0; i < 30; ++i) {
        text += QStringLiteral("line %1\r\n").arg(i, 2, 10, QLatin1Char('0'));
    }
    Load(text); // every line 9 units, 7 with its break
    const auto click = [&](qsizetype pos) {
        memo->SetSelStart(pos);
        form->Memo1Click();
    };
    click(memo->LineIndex(10) + 2); // records the noted start, line 0
    click(memo->LineIndex(20) + 1); // records line 10
    // Cutting lines 1 to 4 moves the entry of line 10 up to line 6.
    memo->SetSelStart(memo->LineIndex(1));
    memo->SetSelLength(memo->LineIndex(5) - memo->LineIndex(1));
    memo->Cut();
    // The change after the cut recorded the noted click by its offset, which
    // no adjustment moves: the old line 20's offset is on line 20 still.
    memo->SetSelStart(memo->LineIndex(25));
    form->CursorPast1Execute();
    EXPECT_EQ(memo->LineFromChar(memo->SelStart()), 20);
    form->CursorPast1Execute();
    EXPECT_EQ(memo->LineFromChar(memo->SelStart()), 6);
    form->CursorPast1Execute();
    EXPECT_EQ(memo->SelStart(), 0);
    EXPECT_FALSE(Action("CursorPast1")->isEnabled());
}

TEST_F(EditingCommandsTest, EnterCarriesTheIndentation) {
    const auto enterAt = [&](const QString& text, qsizetype pos) {
        Load(text);
        memo->SetSelStart(pos);
        Key(Qt::Key_Return);
        return memo->Text();
    };
    EXPECT_EQ(enterAt(QStringLiteral("\t\tabc"), 5), QStringLiteral("\t\tabc\r\n\t\t"));
    EXPECT_EQ(enterAt(QStringLiteral(" \u3000\tx"), 4), QStringLiteral(" \u3000\tx\r\n \u3000\t"));
    EXPECT_EQ(enterAt(QStringLiteral("abc"), 3), QStringLiteral("abc\r\n"));
    EXPECT_EQ(enterAt(QStringLiteral("  abc"), 0), QStringLiteral("\r\n    abc"));
    EXPECT_EQ(enterAt(QStringLiteral("    x"), 2), QStringLiteral("  \r\n      x"));
    EXPECT_EQ(enterAt(QStringLiteral("a\r\n\tb"), 5), QStringLiteral("a\r\n\tb\r\n\t"));
    // The indentation was inserted once: a late second delivery adds nothing.
    form->SetIndent(true);
    EXPECT_EQ(memo->Text(), QStringLiteral("a\r\n\tb\r\n\t"));
}

TEST_F(EditingCommandsTest, GoToLineClampsAndKeepsTheScreenRow) {
    QString text;
    for (int i = 1; i <= 100; ++i) {
        text += QStringLiteral("line %1\r\n").arg(i);
    }
    Load(text.chopped(2));
    const auto go = [&](const QString& number) {
        prompts.DialogScripts.push_back([number](QDialog& d) {
            auto& dlg = dynamic_cast<TLinesForm&>(d);
            EXPECT_EQ(dlg.windowTitle(), QStringLiteral("指定行へ移動"));
            QTest::keyClicks(dlg.Edit1, number);
            return int(QDialog::Accepted);
        });
        form->JumpLine1Execute();
    };
    go(QStringLiteral("0"));
    EXPECT_EQ(memo->SelStart(), 0);
    go(QStringLiteral("500"));
    EXPECT_EQ(memo->SelStart(), memo->LineIndex(99));
    go(QStringLiteral("1"));
    EXPECT_EQ(memo->SelStart(), 0);

    // Line 10 at the top with the caret on it: line 50 comes to the top.
    memo->verticalScrollBar()->setValue(9);
    memo->SetSelStart(memo->LineIndex(9));
    go(QStringLiteral("50"));
    EXPECT_EQ(memo->SelStart(), memo->LineIndex(49));
    EXPECT_EQ(memo->verticalScrollBar()->value(), 49);

    // Letters are not typed; the position is stored at close.
    prompts.DialogScripts.push_back([](QDialog& d) {
        auto& dlg = dynamic_cast<TLinesForm&>(d);
        QTest::keyClicks(dlg.Edit1, QStringLiteral("1a2"));
        EXPECT_EQ(dlg.Edit1->text(), QStringLiteral("12"));
        dlg.Edit1->setText(QStringLiteral("pasted"));
        EXPECT_EQ(dlg.Edit1->text(), QStringLiteral("12"));
        return int(QDialog::Rejected);
    });
    form->JumpLine1Execute();
    EXPECT_EQ(memo->SelStart(), memo->LineIndex(49));
    EXPECT_TRUE(quillo::platform::OpenSettings()->contains(QStringLiteral("Num-Window-Left")));
}

TEST_F(EditingCommandsTest, GoToLineOpensCentredOverTheWindowWhateverWasStored) {
    Load(QStringLiteral("a\r\nb"));
    form->move(40, 30);
    QApplication::processEvents();
    const QRect screen = form->screen()->availableGeometry();
    // A position stored near a corner, and one on a monitor that is gone.
    for (const QPoint stored : {QPoint(0, 0), QPoint(-5000, 9000)}) {
        {
            const auto s = quillo::platform::OpenSettings();
            s->setValue(QStringLiteral("Num-Window-Left"), stored.x());
            s->setValue(QStringLiteral("Num-Window-Top"), stored.y());
        }
        QRect shown;
        prompts.DialogScripts.push_back([&](QDialog& d) {
            d.show();
            QApplication::processEvents();
            shown = d.frameGeometry();
            return int(QDialog::Rejected);
        });
        form->JumpLine1Execute();
        const QPoint offset = shown.center() - form->frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << "stored " << stored.x() << "," << stored.y()
                                               << " shown at " << shown.x() << "," << shown.y();
        EXPECT_TRUE(screen.contains(shown));
        // The position it closed at is stored, as before.
        const auto s = quillo::platform::OpenSettings();
        EXPECT_EQ(s->value(QStringLiteral("Num-Window-Left")).toInt(), shown.x());
        EXPECT_EQ(s->value(QStringLiteral("Num-Window-Top")).toInt(), shown.y());
    }
}

TEST_F(EditingCommandsTest, NumberingAndSqlAreOneUndoStep) {
    Load(QStringLiteral("item%%\nitem%%"));
    form->ReplaceNum1Execute();
    EXPECT_EQ(memo->Text(), QStringLiteral("item0\r\nitem1\r\n"));
    memo->undo();
    EXPECT_EQ(memo->Text(), QStringLiteral("item%%\r\nitem%%"));

    Load(QStringLiteral("id\tINT\r\nname\tVARCHAR(20)"));
    form->SqlCreateStatement1Execute();
    EXPECT_TRUE(memo->Text().startsWith(QStringLiteral("CREATE TABLE")));
    memo->undo();
    EXPECT_EQ(memo->Text(), QStringLiteral("id\tINT\r\nname\tVARCHAR(20)"));

    // A list with a line that has no TAB is left alone.
    Load(QStringLiteral("no tab here"));
    form->sqlCSharpInsert1Execute();
    EXPECT_EQ(memo->Text(), QStringLiteral("no tab here"));
}

TEST_F(EditingCommandsTest, FindAndReplaceThroughTheWindow) {
    memo->SetText(QStringLiteral("hello world\r\nworld again"));
    memo->SetSelStart(0);
    Action("SearchFind1")->trigger();
    QApplication::processEvents();
    auto* findDialog =
        form->findChild<quillo::search::TLfFindDialog*>(QStringLiteral("LfFindDialog1"));
    ASSERT_NE(findDialog, nullptr);
    auto* dlg = findDialog->DlgForm();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    dlg->FindStr->setEditText(QStringLiteral("world"));
    QTest::mouseClick(dlg->FindNextBtn, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(memo->SelStart(), 6);
    EXPECT_EQ(memo->SelText(), QStringLiteral("world"));
    QApplication::setActiveWindow(form.get()); // back in the main window
    Key(Qt::Key_F3);
    EXPECT_EQ(memo->SelStart(), 13);

    // Replace all through the replace dialog, one undo step.
    Action("SearchReplace1")->trigger();
    QApplication::processEvents();
    auto* replaceDialog =
        form->findChild<quillo::search::TLfReplaceDialog*>(QStringLiteral("LfReplaceDialog1"));
    ASSERT_NE(replaceDialog, nullptr);
    auto* rdlg = replaceDialog->DlgForm();
    ASSERT_NE(rdlg, nullptr);
    EXPECT_TRUE(rdlg->isVisible());
    rdlg->FindStr->setEditText(QStringLiteral("world"));
    rdlg->ReplaceStr->setEditText(QStringLiteral("earth"));
    rdlg->FindTop->setChecked(true);
    prompts.Answers.clear();
    QTest::mouseClick(rdlg->ReplaceAllBtn, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(memo->Text(), QStringLiteral("hello earth\r\nearth again"));
    memo->undo();
    EXPECT_EQ(memo->Text(), QStringLiteral("hello world\r\nworld again"));
}
