#include "accessories/zkOverlayIcon.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

using quillo::app::TWin2kAppForm;
using quillo::testing::ScriptedPrompts;

namespace {

class BackupWiringTest : public ::testing::Test {
protected:
    void SetUp() override {
        quillo::platform::OpenSettings()->clear();
        QDir(quillo::platform::AppDataFolder()).removeRecursively();
    }

    std::unique_ptr<TWin2kAppForm> Start(const QStringList& args = {QStringLiteral("-q")}) {
        auto form = std::make_unique<TWin2kAppForm>(args, prompts);
        form->show();
        QApplication::processEvents();
        return form;
    }

    // A window that ended without closing: slot 1 held by a process that is gone.
    static void LeaveOrphan(const QString& text) {
        QDir().mkpath(quillo::platform::AppDataFolder());
        QFile f(quillo::platform::AppDataFolder() + QStringLiteral("/BackupFile1.lftmp"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xFF\xFE");
        f.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        f.close();
        const auto s = quillo::platform::OpenSettings();
        s->setValue(QStringLiteral("Backup/BackUpFile1"), QStringLiteral("/home/u/report.txt"));
        s->setValue(QStringLiteral("Backup/BackUpCode1"), 65001);
        s->setValue(QStringLiteral("Backup/BackUpPid1"), 0x7FFFFFF0); // no such process
    }

    ScriptedPrompts prompts;
};

} // namespace

TEST_F(BackupWiringTest, RecoveryYesReopensTheText) {
    LeaveOrphan(QStringLiteral("unsaved 作業 \U0001F600"));
    prompts.Answers = {QMessageBox::Yes};
    auto form = Start({});
    ASSERT_EQ(prompts.Asked.size(), 1u);
    EXPECT_EQ(prompts.Asked[0].Text,
              QStringLiteral("前回の編集途中のバックアップがあります。バックアップを開きますか？"));
    EXPECT_EQ(prompts.Asked[0].Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(form->Memo1->Text(), QStringLiteral("unsaved 作業 \U0001F600"));
    EXPECT_TRUE(form->Memo1->Modified());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("report.txt - quillo"));
    EXPECT_EQ(form->ApplicationTitle(), QStringLiteral("新規ドキュメント - quillo"));
    EXPECT_EQ(form->CodePage, 65001);
    EXPECT_EQ(form->FBackupNum, 1);
    EXPECT_EQ(
        quillo::platform::OpenSettings()->value(QStringLiteral("Backup/BackUpPid1")).toLongLong(),
        QCoreApplication::applicationPid());
}

TEST_F(BackupWiringTest, RecoveryNoStartsEmpty) {
    LeaveOrphan(QStringLiteral("old"));
    prompts.Answers = {QMessageBox::No};
    auto form = Start({});
    EXPECT_TRUE(form->Memo1->Text().isEmpty());
    EXPECT_FALSE(form->Memo1->Modified());
    EXPECT_EQ(form->FFileName, QStringLiteral("名称未設定"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("新規ドキュメント - quillo"));
    EXPECT_EQ(form->zkOverlayIcon1->ImageIndex(), 0);
}

TEST_F(BackupWiringTest, TimerWritesTheBackupAndCloseRemovesIt) {
    auto form = Start();
    ASSERT_GE(form->FBackupNum, 1);
    form->Memo1->setFocus();
    QTest::keyClicks(form->Memo1, QStringLiteral("draft"));
    EXPECT_TRUE(form->Timer1->isActive());
    form->Timer1Timer();
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->zkOverlayIcon1->ImageIndex(), 1);
    QFile f(form->FBackupFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(bytes.size(), 2 + 5 * 2);

    const QString file = form->FBackupFile;
    prompts.Answers = {QMessageBox::No};
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(quillo::platform::OpenSettings()->contains(QStringLiteral("Backup/BackUpPid1")));
}
