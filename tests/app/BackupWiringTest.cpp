#include "accessories/zkOverlayIcon.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "platform/SettingsStore.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

using quillo::app::TWin2kAppForm;

namespace {

class BackupWiringTest : public quillo::testing::WindowTest {
protected:
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
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("unsaved 作業 \U0001F600"));
    EXPECT_TRUE(Memo(*form).Modified());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("report.txt - quillo"));
    EXPECT_EQ(form->ApplicationTitle(), QStringLiteral("新規ドキュメント - quillo"));
    EXPECT_EQ(form->Document().CodePage(), 65001);
    EXPECT_EQ(form->Document().BackupNum(), 1);
    EXPECT_EQ(
        quillo::platform::OpenSettings()->value(QStringLiteral("Backup/BackUpPid1")).toLongLong(),
        QCoreApplication::applicationPid());
}

TEST_F(BackupWiringTest, RecoveryNoStartsEmpty) {
    LeaveOrphan(QStringLiteral("old"));
    prompts.Answers = {QMessageBox::No};
    auto form = Start({});
    EXPECT_TRUE(Memo(*form).Text().isEmpty());
    EXPECT_FALSE(Memo(*form).Modified());
    EXPECT_EQ(form->Document().FileName(), QStringLiteral("名称未設定"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("新規ドキュメント - quillo"));
    EXPECT_EQ(Overlay(*form).ImageIndex(), 0);
}

TEST_F(BackupWiringTest, TimerWritesTheBackupAndCloseRemovesIt) {
    auto form = Start();
    ASSERT_GE(form->Document().BackupNum(), 1);
    Memo(*form).setFocus();
    QTest::keyClicks(&Memo(*form), QStringLiteral("draft"));
    EXPECT_TRUE(Timer(*form).isActive());
    form->Timer1Timer();
    EXPECT_FALSE(Timer(*form).isActive());
    EXPECT_EQ(Overlay(*form).ImageIndex(), 1);
    QFile f(form->Document().BackupFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(bytes.size(), 2 + 5 * 2);

    const QString file = form->Document().BackupFile();
    prompts.Answers = {QMessageBox::No};
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(quillo::platform::OpenSettings()->contains(QStringLiteral("Backup/BackUpPid1")));
}
