// Searching and replacing in a real edit view, driven through the dialogs.

#include "search/DocumentSearch.h"
#include "editing/LfMemo.h"
#include "search/LfFindDialog.h"
#include "search/ScriptedSearchPrompts.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace quillo::search {
namespace {

using editing::TLfMemo;

class DocumentSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        Memo = new TLfMemo(&Window);
        Find = new TLfFindDialog(&Window);
        Replace = new TLfReplaceDialog(&Window);
        Search = std::make_unique<TDocumentSearch>(
            *Memo, *Find, *Replace, Prompts, &Window,
            [this](int index, const QString& hint) { Overlays.emplace_back(index, hint); });
        Search->ConnectDialogs();
        Window.resize(600, 400);
        Memo->resize(600, 400);
        Window.show();
    }

    void Load(const QString& text, qsizetype caret = 0) {
        Memo->LoadText(text);
        Memo->SetSelStart(caret);
    }

    TLfFindDlg* Open(TLfFindDialog* dialog, const QString& text) {
        dialog->Execute(&Window);
        TLfFindDlg* w = dialog->DlgForm();
        w->FindStr->lineEdit()->clear();
        QTest::keyClicks(w->FindStr->lineEdit(), text);
        return w;
    }

    TLfFindDlg* OpenReplace(const QString& text, const QString& replacement) {
        TLfFindDlg* w = Open(Replace, text);
        w->ReplaceStr->lineEdit()->clear();
        QTest::keyClicks(w->ReplaceStr->lineEdit(), replacement);
        return w;
    }

    void Press(QPushButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    void Check(QAbstractButton* box) { QTest::mouseClick(box, Qt::LeftButton); }

    std::pair<qsizetype, qsizetype> Sel() const { return {Memo->SelStart(), Memo->SelLength()}; }
    static std::pair<qsizetype, qsizetype> At(qsizetype start, qsizetype length) {
        return {start, length};
    }

    QWidget Window;
    TLfMemo* Memo = nullptr;
    TLfFindDialog* Find = nullptr;
    TLfReplaceDialog* Replace = nullptr;
    testing::ScriptedSearchPrompts Prompts;
    std::vector<std::pair<int, QString>> Overlays;
    std::unique_ptr<TDocumentSearch> Search;
};

TEST_F(DocumentSearchTest, FindNextStepsThroughMatchesAndStopsAtTheEnd) {
    Load(QStringLiteral("ab ab\r\nab"));
    TLfFindDlg* w = Open(Find, QStringLiteral("ab"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(0, 2));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(3, 2));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(7, 2)); // at the very end
    EXPECT_TRUE(Prompts.Asked.empty());
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(7, 2)); // a literal search leaves the selection
    ASSERT_EQ(Prompts.Asked.size(), 1u);
    EXPECT_EQ(Prompts.Asked[0].Text, QStringLiteral("検索文字列\"ab\"が見つかりませんでした。"));
    EXPECT_EQ(Prompts.Asked[0].Type, TSearchMsgType::mtInformation);
    EXPECT_EQ(Prompts.Asked[0].Buttons, QMessageBox::Ok);
    EXPECT_EQ(Overlays.back(), std::make_pair(4, QStringLiteral("文字列を検索中です")));
}

TEST_F(DocumentSearchTest, EngineFindCollapsesTheSelectionAtTheEnd) {
    Load(QStringLiteral("a1 b22"));
    TLfFindDlg* w = Open(Find, QStringLiteral("\\d+"));
    Check(w->UseRegex);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(1, 1));
    Check(w->UseRegex); // the box keeps its check between presses
    Check(w->UseRegex);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(4, 2));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(4, 0));
    EXPECT_EQ(Prompts.Take(),
              std::vector<QString>{QStringLiteral("検索文字列\"\\d+\"が見つかりませんでした。")});
}

TEST_F(DocumentSearchTest, ReplaceDialogFindReportsTheEnd) {
    Load(QStringLiteral("xyz"));
    TLfFindDlg* w = Open(Replace, QStringLiteral("q"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Prompts.Take(),
              std::vector<QString>{QStringLiteral("\"q\"の検索が最後まで達しました。")});
}

TEST_F(DocumentSearchTest, FromTheTopHoldsForOnePress) {
    Load(QStringLiteral("ab ab ab"), 8);
    TLfFindDlg* w = Open(Find, QStringLiteral("ab"));
    Check(w->FindTop);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(0, 2));
    EXPECT_TRUE(w->FindCursor->isChecked());
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(3, 2));
    // The commands search on from the caret, not from the top again.
    Search->SearchFindNext1Execute();
    EXPECT_EQ(Sel(), At(6, 2));
    Search->SearchFindFirst1Execute();
    EXPECT_EQ(Sel(), At(0, 2));
    EXPECT_TRUE(Prompts.Asked.empty());
}

TEST_F(DocumentSearchTest, FindNextWithoutAStringOpensTheDialog) {
    Load(QStringLiteral("abc"));
    Search->SearchFindNext1Execute();
    ASSERT_NE(Find->DlgForm(), nullptr);
    EXPECT_TRUE(Find->DlgForm()->isVisible());
    Find->CloseDialog();
    Search->SearchFindFirst1Execute();
    EXPECT_TRUE(Find->DlgForm()->isVisible());
    Search->SearchReplace1Execute();
    ASSERT_NE(Replace->DlgForm(), nullptr);
    EXPECT_TRUE(Replace->DlgForm()->isVisible());
    EXPECT_TRUE(Prompts.Asked.empty());
}

TEST_F(DocumentSearchTest, LiteralTextWithMetacharactersMatchesItself) {
    Load(QStringLiteral("axb a.b [a] (x)"));
    TLfFindDlg* w = Open(Find, QStringLiteral("a.b"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(4, 3));
    Open(Find, QStringLiteral("[a]"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(8, 3));
}

TEST_F(DocumentSearchTest, TheMatchCaseBoxGovernsCaseInEveryMode) {
    Load(QStringLiteral("ABC abc"));
    TLfFindDlg* w = Open(Find, QStringLiteral("abc"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(0, 3)); // unchecked: case-blind
    Memo->SetSelStart(0);
    Check(w->UseMatchCase);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(4, 3));
    Memo->SetSelStart(0);
    Check(w->UseRegex);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(4, 3)); // checked: case-sensitive in the engine too
    Memo->SetSelStart(0);
    Check(w->UseMatchCase);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(0, 3));
    Memo->SetSelStart(0);
    Check(w->UseMultiLine);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(0, 3));
}

TEST_F(DocumentSearchTest, LineByLineIgnoresEmptyMatchesAndReadsWholeLines) {
    Load(QStringLiteral("abc\r\ndef"));
    TLfFindDlg* w = Open(Find, QStringLiteral("x*"));
    Check(w->UseRegex);
    Check(w->UseMultiLine);
    Press(w->FindNextBtn);
    EXPECT_EQ(Prompts.Take(), std::vector<QString>{QStringLiteral("\"x*\"の検索が終わりました。")});

    // ^ holds only at a line's start, and a look-behind sees the text before the column.
    Load(QStringLiteral("bab\r\nb"), 1);
    Open(Find, QStringLiteral("^b"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(5, 1));
    Load(QStringLiteral("xb yb"), 1);
    Open(Find, QStringLiteral("(?<=x)b"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(1, 1));

    const QString longLine = QString(9000, u'-') + QStringLiteral("needle") + QString(100, u'-');
    Load(QStringLiteral("x\r\n") + longLine);
    Open(Find, QStringLiteral("needle"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(3 + 9000, 6));
    EXPECT_TRUE(Prompts.Asked.empty());
}

TEST_F(DocumentSearchTest, EngineFindFromTheCaretSeesTheWholeText) {
    // The caret stands after "ba": for the pattern the caret is no line or
    // text start, and what lies before it can be looked behind at.
    const QString text = QStringLiteral("bab\r\nb");
    Load(text, 2);
    TLfFindDlg* w = Open(Find, QStringLiteral("^b"));
    Check(w->UseRegex);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(5, 1)) << "^ holds only at a real line start";
    Load(text, 2);
    Open(Find, QStringLiteral("\\Ab"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Prompts.Take(),
              std::vector<QString>{QStringLiteral("検索文字列\"\\Ab\"が見つかりませんでした。")});
    Load(text, 2);
    Open(Find, QStringLiteral("(?<=a)b"));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(2, 1)) << "the look-behind sees the a before the caret";
}

TEST_F(DocumentSearchTest, RepeatedFindsOfAnEmptyMatchMoveOn) {
    Load(QStringLiteral("a\r\n\r\nb"));
    TLfFindDlg* w = Open(Find, QStringLiteral("^"));
    Check(w->UseRegex);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(3, 0));
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(5, 0));
    Press(w->FindNextBtn);
    EXPECT_EQ(Prompts.Take().size(), 1u);
}

TEST_F(DocumentSearchTest, ReplaceReplacesTheSelectedMatch) {
    Load(QStringLiteral("foo foo foo"));
    TLfFindDlg* w = OpenReplace(QStringLiteral("foo"), QStringLiteral("barr"));
    Press(w->FindNextBtn);
    Press(w->FindNextBtn);
    EXPECT_EQ(Sel(), At(4, 3));
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("foo barr foo"));
    EXPECT_EQ(Sel(), At(8, 0));
    EXPECT_TRUE(Memo->Modified());
    EXPECT_EQ(Overlays.back(), std::make_pair(4, QStringLiteral("文字列を置き換え中です")));
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("foo barr barr"));
    EXPECT_TRUE(Prompts.Asked.empty());
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Prompts.Take(),
              std::vector<QString>{QStringLiteral("\"foo\"の置換が終わりました。")});
}

TEST_F(DocumentSearchTest, ReplaceAllIsOnePassAndOneUndoStep) {
    Load(QStringLiteral("a ba\r\nA"), 0);
    TLfFindDlg* w = OpenReplace(QStringLiteral("a"), QStringLiteral("aa"));
    Check(w->UseMatchCase);
    QSignalSpy changes(Memo, &TLfMemo::ContentsChanged);
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("aa baa\r\nA"));
    EXPECT_EQ(Sel(), At(6, 0));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(Prompts.Take(), std::vector<QString>{QStringLiteral("\"a\"の置換が終わりました。")});
    Memo->Undo();
    EXPECT_EQ(Memo->Text(), QStringLiteral("a ba\r\nA"));
}

TEST_F(DocumentSearchTest, ReplaceAllStartsAtTheCaretOrTheTop) {
    Load(QStringLiteral("x1 x2 x3"), 3);
    TLfFindDlg* w = OpenReplace(QStringLiteral("x(\\d)"), QStringLiteral("<$1>"));
    Check(w->UseRegex);
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("x1 <2> <3>"));
    Check(w->FindTop);
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("<1> <2> <3>"));
    EXPECT_EQ(Sel(), At(3, 0));
    EXPECT_EQ(Prompts.Take().size(), 2u);
}

TEST_F(DocumentSearchTest, ReplaceAllEndsOnPatternsThatMatchEmpty) {
    Load(QStringLiteral("baab"));
    TLfFindDlg* w = OpenReplace(QStringLiteral("a*"), QStringLiteral("-"));
    Check(w->UseRegex);
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("b-b"));
    Load(QStringLiteral("abc"));
    Open(Replace, QStringLiteral("x*"));
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("abc"));
    EXPECT_FALSE(Memo->Modified());
    EXPECT_EQ(Prompts.Take().size(), 2u);
}

TEST_F(DocumentSearchTest, EngineReplacementSeesTheRealContext) {
    Load(QStringLiteral("ab xb"));
    TLfFindDlg* w = OpenReplace(QStringLiteral("(?<=x)b"), QStringLiteral("[$`|$&]"));
    Check(w->UseRegex);
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("ab x[ab x|b]"));
    Load(QStringLiteral("xb\r\nxb"));
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("x[x|b]\r\nx[xb\r\nx|b]"));
}

TEST_F(DocumentSearchTest, LineByLineReplaceGoesOnRightAfterTheInsertedText) {
    Load(QStringLiteral("aaaa\r\naa"));
    TLfFindDlg* w = OpenReplace(QStringLiteral("a"), QStringLiteral("b"));
    Check(w->UseRegex);
    Check(w->UseMultiLine);
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("baaa\r\naa"));
    EXPECT_EQ(Sel(), At(1, 0));
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("bbaa\r\naa"));
    EXPECT_EQ(Sel(), At(2, 0));
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("bbbb\r\nbb"));
    EXPECT_EQ(Sel(), At(8, 0));
    EXPECT_EQ(Prompts.Take(), std::vector<QString>{QStringLiteral("\"a\"の置換が終わりました。")});

    Load(QStringLiteral("ab ab"));
    OpenReplace(QStringLiteral("ab"), QStringLiteral("XYZ"));
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("XYZ ab"));
    EXPECT_EQ(Sel(), At(3, 0));
    Memo->Undo();
    EXPECT_EQ(Memo->Text(), QStringLiteral("ab ab"));
}

TEST_F(DocumentSearchTest, InsertedLoneBreaksBecomeCrLfAndTheCaretFollowsThem) {
    // Single text, both kinds of lone break: the caret ends after the last
    // replacement, counted in the text as it is kept (CR LF).
    for (const QString& lone : {QStringLiteral("\\n"), QStringLiteral("\\r")}) {
        Load(QStringLiteral("a,b,c tail"));
        TLfFindDlg* w = OpenReplace(QStringLiteral(","), lone);
        if (!w->UseRegex->isChecked()) {
            Check(w->UseRegex);
        }
        Press(w->ReplaceAllBtn);
        EXPECT_EQ(Memo->Text(), QStringLiteral("a\r\nb\r\nc tail"));
        EXPECT_EQ(Sel(), At(6, 0)) << lone.toStdString();
        Prompts.Take();
    }
    // Line by line, Replace All and Replace.
    Load(QStringLiteral("x1 x2\r\nx3 end"));
    TLfFindDlg* w = OpenReplace(QStringLiteral("x"), QStringLiteral("\\n"));
    Check(w->UseMultiLine);
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("\r\n1 \r\n2\r\n\r\n3 end"));
    EXPECT_EQ(Sel(), At(11, 0));
    Load(QStringLiteral("ab ab"));
    OpenReplace(QStringLiteral("b"), QStringLiteral("\\r"));
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("a\r\n ab"));
    EXPECT_EQ(Sel(), At(3, 0));
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Text(), QStringLiteral("a\r\n a\r\n"));
    EXPECT_EQ(Sel(), At(7, 0));
}

TEST_F(DocumentSearchTest, LineByLineReplaceKeepsLongLinesWhole) {
    const QString head(5000, u'.');
    const QString tail(3000, u',');
    Load(QStringLiteral("q\r\n") + head + QStringLiteral("key") + tail + QStringLiteral("key"));
    TLfFindDlg* w = OpenReplace(QStringLiteral("key"), QStringLiteral("K"));
    Check(w->UseRegex);
    Check(w->UseMultiLine);
    Press(w->ReplaceNextBtn);
    EXPECT_EQ(Memo->Line(1), head + QStringLiteral("K") + tail + QStringLiteral("key"));
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Memo->Line(1), head + QStringLiteral("K") + tail + QStringLiteral("K"));
}

TEST_F(DocumentSearchTest, EveryEngineErrorIsOneWarning) {
    Load(QStringLiteral("abc"), 1);
    TLfFindDlg* w = OpenReplace(QStringLiteral("(a"), QStringLiteral("x"));
    Check(w->UseRegex);
    for (QPushButton* b : {w->FindNextBtn, w->ReplaceNextBtn, w->ReplaceAllBtn}) {
        Press(b);
        ASSERT_EQ(Prompts.Asked.size(), 1u);
        EXPECT_EQ(Prompts.Asked[0].Text, QStringLiteral("検索式に誤りがあります。"));
        EXPECT_EQ(Prompts.Asked[0].Type, TSearchMsgType::mtWarning);
        Prompts.Asked.clear();
    }
    OpenReplace(QStringLiteral("b"), QStringLiteral("\\xZZ")); // a bad template
    Press(w->ReplaceAllBtn);
    EXPECT_EQ(Prompts.Take(), std::vector<QString>{QStringLiteral("検索式に誤りがあります。")});
    EXPECT_EQ(Memo->Text(), QStringLiteral("abc"));
    EXPECT_FALSE(Memo->Modified());
}

} // namespace
} // namespace quillo::search
