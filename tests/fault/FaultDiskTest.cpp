// Another program at the open file: written, replaced or removed on disk
// while the window holds it, and a second copy holding the same file.

#include "app/AppStrings.h"
#include "fault/FaultSupport.h"
#include "platform/SettingsStore.h"

#include <QSettings>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using quillo::testing::ReadBytes;
using quillo::testing::WriteBytes;
namespace strings = quillo::app::strings;

class FaultDiskTest : public quillo::testing::FaultTest {
protected:
    void SetUp() override {
        FaultTest::SetUp();
        path = Path("watched.txt");
        WriteBytes(path, "as read\r\n");
        Open(path);
        ASSERT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
        prompts.Asked.clear();
    }

    int TimesAsked(const QString& text) const {
        return int(std::count_if(prompts.Asked.begin(), prompts.Asked.end(),
                                 [&](const auto& a) { return a.Text.startsWith(text); }));
    }
    // Lets the watcher's notice arrive; true once `text` has been asked.
    bool WaitForQuestion(const QString& text, int ms = 3000) {
        return QTest::qWaitFor([&] { return TimesAsked(text) > 0; }, ms);
    }
    // Another program replaces the file by rename, as most editors save.
    void ReplaceByRename(const QByteArray& bytes) {
        const QString temporary = Path("other-editor.tmp");
        WriteBytes(temporary, bytes);
        ASSERT_EQ(
            ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()),
            0);
    }

    QString path;
};

} // namespace

TEST_F(FaultDiskTest, AnUnmodifiedDocumentOffersToReadTheChangedFileOnce) {
    prompts.Answers.push_back(QMessageBox::Yes);
    WriteBytes(path, "written by another program\r\n");
    ASSERT_TRUE(WaitForQuestion(strings::AskRereadChanged));
    EXPECT_EQ(Text(), QStringLiteral("written by another program\r\n"));
    EXPECT_FALSE(Memo(*form).Modified());

    // No: the text stays, and the same change is not asked about again.
    prompts.Answers.push_back(QMessageBox::No);
    ReplaceByRename("replaced\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return TimesAsked(strings::AskRereadChanged) == 2; }, 3000));
    QTest::qWait(500);
    EXPECT_EQ(TimesAsked(strings::AskRereadChanged), 2);
    EXPECT_EQ(Text(), QStringLiteral("written by another program\r\n"));
    // Saving now would write over the replacement: asked first.
    prompts.Answers.push_back(QMessageBox::No);
    form->FileSave1Execute();
    EXPECT_EQ(TimesAsked(strings::AskWriteOverChange), 1);
    EXPECT_EQ(ReadBytes(path), QByteArray("replaced\r\n"));
}

TEST_F(FaultDiskTest, SavingOverAChangeAsksAndNoKeepsTheOtherProgramsText) {
    Type(QStringLiteral("mine "));
    ReplaceByRename("theirs\r\n"); // a new file: another inode
    QTest::qWait(500);
    // A modified document is not interrupted; the save asks.
    EXPECT_EQ(TimesAsked(strings::AskRereadChanged), 0);
    prompts.Answers.push_back(QMessageBox::No);
    form->FileSave1Execute();
    EXPECT_EQ(TimesAsked(strings::AskWriteOverChange), 1);
    EXPECT_EQ(ReadBytes(path), QByteArray("theirs\r\n"));
    EXPECT_TRUE(Memo(*form).Modified());

    prompts.Answers.push_back(QMessageBox::Yes);
    form->FileSave1Execute();
    EXPECT_EQ(TimesAsked(strings::AskWriteOverChange), 2);
    EXPECT_EQ(ReadBytes(path), QByteArray("mine as read\r\n"));
    EXPECT_FALSE(Memo(*form).Modified());
}

TEST_F(FaultDiskTest, OurOwnSavesRaiseNoNoticeAndTheWatchGoesOnAfterThem) {
    for (const char* typed : {"a", "b"}) {
        Type(QString::fromLatin1(typed));
        form->FileSave1Execute();
        QTest::qWait(400);
    }
    EXPECT_TRUE(prompts.Asked.empty()) << prompts.Asked.front().Text.toStdString();
    EXPECT_EQ(ReadBytes(path), QByteArray("abas read\r\n"));

    // Our save replaced the file; a later change to the new one is still seen.
    prompts.Answers.push_back(QMessageBox::Yes);
    WriteBytes(path, "changed after our save\r\n");
    ASSERT_TRUE(WaitForQuestion(strings::AskRereadChanged));
    EXPECT_EQ(Text(), QStringLiteral("changed after our save\r\n"));
}

TEST_F(FaultDiskTest, ARemovedFileIsToldAndItsTextKeptAsModified) {
    ASSERT_TRUE(QFile::remove(path));
    const QString told = strings::FileRemovedOutside.arg(path).left(10);
    ASSERT_TRUE(WaitForQuestion(told));
    EXPECT_TRUE(Memo(*form).Modified());
    EXPECT_EQ(Text(), QStringLiteral("as read\r\n"));
    // Saving writes it again without a question.
    form->FileSave1Execute();
    EXPECT_EQ(ReadBytes(path), QByteArray("as read\r\n"));
    EXPECT_EQ(TimesAsked(strings::AskWriteOverChange), 0);
}

TEST_F(FaultDiskTest, OpeningAFileAnotherRunningCopyHoldsNamesThatCopy) {
    // Opening recorded the file in this window's slot, for other copies to see.
    ASSERT_NE(form->Document().BackupNum(), 0);
    {
        const auto s = quillo::platform::OpenSettings();
        EXPECT_EQ(s->value(QStringLiteral("Backup/BackUpFile%1").arg(form->Document().BackupNum()))
                      .toString(),
                  path);
    }
    // A second copy: a live process of this program whose slot records the file.
    const pid_t other = ::fork();
    if (other == 0) {
        for (;;) {
            ::pause();
        }
    }
    {
        const auto s = quillo::platform::OpenSettings();
        s->setValue(QStringLiteral("Backup/BackUpFile30"), path);
        s->setValue(QStringLiteral("Backup/BackUpCode30"), 932);
        s->setValue(QStringLiteral("Backup/BackUpPid30"), qint64(other));
        s->sync();
    }
    Open(path);
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    ASSERT_EQ(TimesAsked(strings::HeldByOtherCopy.arg(other)), 1);
    EXPECT_EQ(prompts.Asked.back().Type, quillo::app::TMsgDlgType::mtWarning);

    // Once that copy has ended, opening says nothing.
    prompts.Asked.clear();
    Open(path);
    EXPECT_TRUE(prompts.Asked.empty());
}
