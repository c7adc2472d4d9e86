#include "accessories/zkOverlayIcon.h"
#include "app/CodeExchangeForm.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using quillo::app::TCodeExchangeDlg;
using quillo::app::TFileDialogAnswer;
using quillo::app::TWin2kAppForm;

namespace {

const QString kJapanese = QStringLiteral("日本語のテキスト\r\n二行目ｶﾅ");

using quillo::testing::ReadBytes;
using quillo::testing::WriteBytes;

class DocumentCommandsTest : public quillo::testing::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        form = Start();
    }

    void Type(const QString& text) { WindowTest::Type(*form, text); }

    // Opens through the open dialog with the given filter entry.
    void Open(const QString& path, int filterIndex) {
        prompts.FileAnswers.push_back({true, path, filterIndex});
        form->FileOpen1Execute();
    }

    std::unique_ptr<TWin2kAppForm> form;
};

} // namespace

TEST_F(DocumentCommandsTest, NewDocumentQuestionAnswers) {
    Type(QStringLiteral("draft"));
    prompts.Answers = {QMessageBox::Cancel};
    form->FileNew1Execute();
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("draft"));
    EXPECT_TRUE(Memo(*form).Modified());
    EXPECT_EQ(prompts.Asked.back().Text, QStringLiteral("新規編集前にファイルを保存しますか？"));

    // Yes on an untitled document, then the save-as dialog cancelled.
    prompts.Answers = {QMessageBox::Yes};
    prompts.FileAnswers = {{false, {}, 1}};
    form->FileNew1Execute();
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("draft"));

    prompts.Answers = {QMessageBox::No};
    form->FileNew1Execute();
    EXPECT_TRUE(Memo(*form).Text().isEmpty());
    EXPECT_FALSE(Memo(*form).Modified());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("新規ドキュメント - quillo"));
    EXPECT_FALSE(Action(*form, "FileSave1")->isEnabled());
    EXPECT_FALSE(Action(*form, "CodeExchange1")->isEnabled());
}

TEST_F(DocumentCommandsTest, SaveAsThenSaveKeepsTheChosenCode) {
    Type(QStringLiteral("abc"));
    Memo(*form).SetText(kJapanese);
    const QString path = Path("euc.txt");
    prompts.FileAnswers = {{true, path, 2}}; // EUC-JP
    ASSERT_TRUE(form->SaveFile());
    EXPECT_EQ(form->Document().CodePage(), 51932);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("euc.txt - quillo"));
    EXPECT_FALSE(Memo(*form).Modified());
    const QByteArray first = ReadBytes(path);
    EXPECT_TRUE(first.startsWith("\xC6\xFC\xCB\xDC")); // 日本 in EUC-JP

    Type(QStringLiteral("X"));
    ASSERT_TRUE(form->SaveFile()); // writes without asking
    EXPECT_EQ(prompts.FileRequests.size(), 1u);
    EXPECT_EQ(ReadBytes(path).size(), first.size() + 1);
    EXPECT_EQ(form->Document().FileName(), path);
}

TEST_F(DocumentCommandsTest, DetectedUtf8GetsItsMarkAndPreselectsItsEntry) {
    const QString path = Path("u8.txt");
    WriteBytes(path, kJapanese.toUtf8());
    Open(path, 1);
    EXPECT_EQ(form->Document().CodePage(), 65001);
    EXPECT_EQ(Memo(*form).Text(), kJapanese);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("u8.txt - quillo"));
    EXPECT_TRUE(Action(*form, "CodeExchange1")->isEnabled());
    EXPECT_FALSE(Memo(*form).Modified());
    Type(QStringLiteral("!"));
    ASSERT_TRUE(form->SaveFile());
    EXPECT_EQ(ReadBytes(path), QByteArray("\xEF\xBB\xBF") + ("!" + kJapanese).toUtf8());

    form->FileNew1Execute(); // not modified: no question
    Type(QStringLiteral("x"));
    prompts.FileAnswers = {{false, {}, 1}};
    EXPECT_FALSE(form->SaveFileAs());
    EXPECT_EQ(prompts.FileRequests.back().FilterIndex, 3);
    EXPECT_EQ(prompts.FileRequests.back().DefaultSuffix, QStringLiteral("txt"));
}

TEST_F(DocumentCommandsTest, OpenFilterIndexIsUsedByRecentFiles) {
    const QString euc = Path("euc.txt");
    QByteArray eucBytes("\xC6\xFC\xCB\xDC\xB8\xEC"); // 日本語
    WriteBytes(euc, eucBytes);
    Open(euc, 3); // EUC-JP entry
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("日本語"));
    EXPECT_EQ(form->Document().CodePage(), 51932);
    EXPECT_EQ(prompts.FileRequests.back().Filters.size(), 6);

    // The recent-file entry reads with the entry last chosen, EUC-JP.
    form->FileNew1Execute();
    form->LfFileHistory1ItemClick(euc);
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("日本語"));
    // A missing file reads nothing and says nothing.
    form->LfFileHistory1ItemClick(Path("gone.txt"));
    EXPECT_EQ(form->Document().FileName(), euc);
    EXPECT_TRUE(prompts.Errors.empty());
}

TEST_F(DocumentCommandsTest, CancelledOpenStillResetsTheCaret) {
    Type(QStringLiteral("typed"));
    prompts.Answers = {QMessageBox::No};
    prompts.FileAnswers = {{false, {}, 1}};
    form->FileOpen1Execute();
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("typed"));
    EXPECT_TRUE(Memo(*form).Modified());
    EXPECT_EQ(Memo(*form).SelStart(), 0);
    EXPECT_FALSE(Action(*form, "FileSave1")->isEnabled());
    EXPECT_EQ(Overlay(*form).ImageIndex(), -1);
}

TEST_F(DocumentCommandsTest, DropOpensTheFirstFileInTheDocumentsCode) {
    const QString a = Path("a.txt");
    const QString b = Path("b.txt");
    WriteBytes(a, QByteArray("\xC6\xFC\xCB\xDC")); // 日本 in EUC-JP
    WriteBytes(b, "second");
    form->Document().SetCodePage(51932);
    form->WMDropFiles({a, b, Path("c.txt")});
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("日本"));
    EXPECT_EQ(form->Document().FileName(), a);
    EXPECT_EQ(Overlay(*form).ImageIndex(), 0);
    EXPECT_EQ(Overlay(*form).Hint(), QStringLiteral("ファイルを開いています。"));
}

TEST_F(DocumentCommandsTest, ReopeningAnUnchangedFileStartsNoBackupTimer) {
    const QString path = Path("same.txt");
    WriteBytes(path, "line one\nline two\n");
    Open(path, 1);
    Timer(*form).stop(); // as after a backup
    QSignalSpy changes(&Memo(*form), &quillo::editing::TLfMemo::textChanged);
    Open(path, 1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(Timer(*form).isActive());
    EXPECT_FALSE(Memo(*form).Modified());
    // A file changed on disk is a change of the text.
    WriteBytes(path, "line one\nline 2\n");
    Open(path, 1);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("line one\r\nline 2\r\n"));
    EXPECT_TRUE(Timer(*form).isActive());
}

TEST_F(DocumentCommandsTest, UnreadableFileKeepsTheDocument) {
    Type(QStringLiteral("mine"));
    prompts.Answers = {QMessageBox::No};
    Open(dir.path(), 1); // a folder
    EXPECT_EQ(prompts.Errors.size(), 1u);
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("mine"));
    EXPECT_TRUE(Memo(*form).Modified());
    EXPECT_EQ(form->Document().FileName(), QStringLiteral("名称未設定"));
    // A typed name that does not exist: the same, with the reason.
    prompts.Answers = {QMessageBox::No};
    Open(Path("missing.txt"), 1);
    ASSERT_EQ(prompts.Errors.size(), 2u);
    EXPECT_TRUE(prompts.Errors[1].startsWith(
        QStringLiteral("ファイル %1 を開けません。").arg(Path("missing.txt"))))
        << prompts.Errors[1].toStdString();
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("mine"));
}

TEST_F(DocumentCommandsTest, OverwriteQuestionNoWritesNothing) {
    const QString path = Path("exists.txt");
    WriteBytes(path, "old");
    Type(QStringLiteral("new"));
    prompts.FileAnswers = {{true, path, 1}};
    prompts.Answers = {QMessageBox::No};
    EXPECT_FALSE(form->SaveFileAs());
    EXPECT_EQ(
        prompts.Asked.back().Text,
        QStringLiteral("OK を押すと %1 を上書きします。").arg(QDir::toNativeSeparators(path)));
    EXPECT_EQ(ReadBytes(path), QByteArray("old"));
    EXPECT_EQ(form->Document().FileName(), QStringLiteral("名称未設定"));
    EXPECT_TRUE(Memo(*form).Modified());
}

TEST_F(DocumentCommandsTest, FailedWriteKeepsTheOldFileAndTheFlag) {
    const QString path = Path("doc.txt");
    WriteBytes(path, "old contents");
    Open(path, 2);
    Type(QStringLiteral("changed "));
    {
        const quillo::testing::FileSizeLimit limit(16); // the new text stops part way
        ASSERT_TRUE(limit.ok());
        form->FileSave1Execute();
    }
    ASSERT_EQ(prompts.Errors.size(), 1u);
    EXPECT_TRUE(prompts.Errors[0].contains(QStringLiteral("ファイルは変更されていません")))
        << prompts.Errors[0].toStdString();
    EXPECT_EQ(ReadBytes(path), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.txt"});
    EXPECT_TRUE(Memo(*form).Modified());
    EXPECT_EQ(form->Document().FileName(), path);
    EXPECT_EQ(form->Document().CodePage(), 932);
}

TEST_F(DocumentCommandsTest, StrayBytesSurviveOpenEditSave) {
    const QString path = Path("stray.txt");
    const QByteArray bytes("abc\x81\r\n\x82\xA0\xFF tail\x00end", 17);
    WriteBytes(path, bytes);
    Open(path, 2); // Shift-JIS
    ASSERT_FALSE(prompts.Asked.empty());
    EXPECT_EQ(prompts.Asked.back().Type, quillo::app::TMsgDlgType::mtWarning);
    Memo(*form).SetSelStart(Memo(*form).TextLengthUnits());
    Type(QStringLiteral("!"));
    ASSERT_TRUE(form->SaveFile());
    EXPECT_EQ(ReadBytes(path), bytes + "!");
}

TEST_F(DocumentCommandsTest, ReReadInAChosenCode) {
    const QString path = Path("really-euc.txt");
    WriteBytes(path, QByteArray("\xC6\xFC\xCB\xDC\xB8\xEC")); // 日本語 in EUC-JP
    Open(path, 2);                                            // read as Shift-JIS
    ASSERT_NE(Memo(*form).Text(), QStringLiteral("日本語"));
    prompts.Answers.clear();

    prompts.DialogScripts.push_back([](QDialog& d) {
        auto& dlg = dynamic_cast<TCodeExchangeDlg&>(d);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("文字コードを指定して再読み込み"));
        EXPECT_EQ(dlg.ComboBox1->currentIndex(), 0);
        dlg.ComboBox1->setCurrentIndex(2); // EUC-JP
        return int(QDialog::Accepted);
    });
    form->CodeExchange1Execute();
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("日本語"));
    EXPECT_FALSE(Memo(*form).Modified());
    EXPECT_EQ(form->Document().CodePage(), 932); // an explicit choice keeps the document's code
    ASSERT_TRUE(form->SaveFile());
    EXPECT_EQ(ReadBytes(path), QByteArray("\x93\xFA\x96\x7B\x8C\xEA")); // now Shift-JIS

    // Cancel changes nothing.
    prompts.DialogScripts.push_back([](QDialog&) { return int(QDialog::Rejected); });
    form->CodeExchange1Execute();
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("日本語"));

    // Detection takes the code it finds; characters outside Shift-JIS survive.
    const QString u8 = Path("u8.txt");
    WriteBytes(u8, QByteArray("\xEF\xBB\xBF") + QStringLiteral("한국어 Ω").toUtf8());
    Open(u8, 2);
    prompts.DialogScripts.push_back([](QDialog&) { return int(QDialog::Accepted); });
    form->CodeExchange1Execute();
    EXPECT_EQ(form->Document().CodePage(), 65001);
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("한국어 Ω"));
}

TEST_F(DocumentCommandsTest, ReReadOfAModifiedDocumentAsksFirst) {
    const QString path = Path("doc.txt");
    WriteBytes(path, "text");
    Open(path, 1);
    Type(QStringLiteral("more "));
    prompts.Answers = {QMessageBox::Yes};
    prompts.FileAnswers = {{false, {}, 1}}; // save-as cancelled: nothing is re-read
    form->CodeExchange1Execute();
    EXPECT_EQ(prompts.Asked.back().Text, QStringLiteral("再読み込み前にファイルを保存しますか？"));
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("more text"));
    EXPECT_TRUE(Memo(*form).Modified());
    EXPECT_TRUE(prompts.DialogScripts.empty());
}
