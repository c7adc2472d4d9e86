// The backup and its bookkeeping under faults: broken and held locks, a
// backup that is a link to a device or too large, and an orphaned backup of
// the very file being opened.

#include "backup/BackupLock.h"
#include "fault/FaultSupport.h"
#include "platform/SettingsStore.h"

#include <QLockFile>
#include <QSysInfo>
#include <QTimer>

#include <csignal>

namespace {

using quillo::testing::ReadBytes;
using quillo::testing::WriteBytes;

class FaultBackupTest : public quillo::testing::FaultTest {
protected:
    // No window yet: each case starts its own after setting up the fault.
    void SetUp() override { WindowTest::SetUp(); }

    static QString DataFile(const char* name) {
        return quillo::platform::AppDataFolder() + QLatin1Char('/') + QString::fromUtf8(name);
    }
    // Slot 1 left by a copy that is gone, recording `file`, with `text` as its backup.
    static void LeaveOrphan(const QString& file, const QString& text) {
        QDir().mkpath(quillo::platform::AppDataFolder());
        QByteArray bytes("\xFF\xFE");
        bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        WriteBytes(DataFile("BackupFile1.lftmp"), bytes);
        RecordOrphan(file);
    }
    static void RecordOrphan(const QString& file) {
        const auto s = quillo::platform::OpenSettings();
        s->setValue(QStringLiteral("Backup/BackUpFile1"), file);
        s->setValue(QStringLiteral("Backup/BackUpCode1"), 932);
        s->setValue(QStringLiteral("Backup/BackUpPid1"), 0x7FFFFFF0); // no such process
    }
    static QByteArray Utf16(const QString& text) {
        return QByteArray("\xFF\xFE") +
               QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    }

    // Takes the lock as the window does, timed.
    static qint64 TakeLock() {
        QLockFile lock(DataFile("Backup.lock"));
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(quillo::backup::AcquireBackupLock(lock, DataFile("Backup.lock"),
                                                      quillo::backup::kLockWait));
        return clock.elapsed();
    }
};

} // namespace

TEST_F(FaultBackupTest, LocksNoProcessHoldsAreTakenOverAtOnce) {
    QDir().mkpath(quillo::platform::AppDataFolder());
    const QString lock = DataFile("Backup.lock");
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"ended holder",
         [&] {
             WriteBytes(lock, "2147483000\nquillo\n" + host + "\n");
         }},
        {"another machine's",
         [&] {
             WriteBytes(lock, "4242\nquillo\nelsewhere\n");
         }},
        {"garbage",
         [&] {
             WriteBytes(lock, QByteArray("\x00\xff garbage", 10));
         }},
        {"empty",
         [&] {
             WriteBytes(lock, {});
         }},
        {"a folder",
         [&] {
             QDir().mkpath(lock + QStringLiteral("/inside"));
         }},
    };
    for (const auto& [what, make] : cases) {
        make();
        const qint64 ms = TakeLock();
        std::printf("[fault] lock (%s) taken over in %lld ms\n", what, static_cast<long long>(ms));
        EXPECT_LT(ms, 100) << what;
        EXPECT_FALSE(QFileInfo(lock).isDir()) << what;
    }
    // The window starts with such a lock without a word.
    WriteBytes(lock, "garbage");
    std::unique_ptr<quillo::app::TWin2kAppForm> started;
    Blocked([&] { started = Start(); });
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    EXPECT_EQ(started->Document().BackupNum(), 1);
}

TEST_F(FaultBackupTest, ALiveHolderNeverHoldsTheWindowUp) {
    QDir().mkpath(quillo::platform::AppDataFolder());
    auto started = Start();
    WindowTest::Type(*started, QStringLiteral("typed while locked"));
    // Another copy takes the lock and stops (as a stopped process would).
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        QLockFile lock(DataFile("Backup.lock"));
        lock.tryLock(0);
        [[maybe_unused]] const ssize_t n = ::write(ready[1], "x", 1);
        for (;;) {
            ::pause();
        }
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    QTimer& timer = Timer(*started);
    ASSERT_TRUE(timer.isActive());
    const qint64 ms = Blocked([&] { started->Timer1Timer(); });
    EXPECT_LT(ms, 1000);
    // The text is safe; its record waits for the next tick.
    EXPECT_EQ(ReadBytes(DataFile("BackupFile1.lftmp")),
              Utf16(QStringLiteral("typed while locked")));
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    started->Timer1Timer();
    EXPECT_FALSE(timer.isActive());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(FaultBackupTest, ABackupThatIsALinkToADeviceIsNeitherOfferedNorWrittenThrough) {
    RecordOrphan(QStringLiteral("/home/u/gone.txt"));
    QDir().mkpath(quillo::platform::AppDataFolder());
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), DataFile("BackupFile1.lftmp")));
    std::unique_ptr<quillo::app::TWin2kAppForm> started;
    const qint64 ms = Blocked([&] { started = Start({}); });
    EXPECT_LT(ms, 1000);
    EXPECT_TRUE(prompts.Asked.empty());
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    // The next backup replaces the link instead of writing into the device.
    WindowTest::Type(*started, QStringLiteral("kept"));
    started->Timer1Timer();
    EXPECT_FALSE(QFileInfo(DataFile("BackupFile1.lftmp")).isSymLink());
    EXPECT_EQ(ReadBytes(DataFile("BackupFile1.lftmp")), Utf16(QStringLiteral("kept")));
}

TEST_F(FaultBackupTest, AHugeBackupIsNotRead) {
    RecordOrphan(QStringLiteral("/home/u/gone.txt"));
    QDir().mkpath(quillo::platform::AppDataFolder());
    QFile huge(DataFile("BackupFile1.lftmp"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(3) << 30));
    huge.close();
    std::unique_ptr<quillo::app::TWin2kAppForm> started;
    const qint64 ms = Blocked([&] { started = Start({}); });
    EXPECT_LT(ms, 1000);
    EXPECT_TRUE(prompts.Asked.empty());
    EXPECT_TRUE(started->Document().IsUntitled());
}

TEST_F(FaultBackupTest, TheOrphanedBackupOfAFileIsOfferedWhereverItIsOpened) {
    const QString file = Path("report.txt");
    WriteBytes(file, "on disk\r\n");
    const QString recovered = QStringLiteral("typed before the crash\r\non disk\r\n");
    const QString question =
        QStringLiteral("前回の編集途中のバックアップがあります。バックアップを開きますか？");
    const std::pair<const char*, std::function<std::unique_ptr<quillo::app::TWin2kAppForm>()>>
        ways[] = {
            {"command line",
             [&] {
                 return Start({file});
             }},
            {"open dialog",
             [&] {
                 auto w = Start();
                 prompts.FileAnswers.push_back({true, file, 2});
                 w->FileOpen1Execute();
                 return w;
             }},
            {"recent file",
             [&] {
                 auto w = Start();
                 w->LfFileHistory1ItemClick(file);
                 return w;
             }},
            {"drop",
             [&] {
                 auto w = Start();
                 w->WMDropFiles({file});
                 return w;
             }},
        };
    for (const auto& [how, open] : ways) {
        ClearSettings();
        QDir(quillo::platform::AppDataFolder()).removeRecursively();
        LeaveOrphan(file, recovered);
        prompts.Asked.clear();
        prompts.Answers = {QMessageBox::Yes};
        auto w = open();
        ASSERT_EQ(prompts.Asked.size(), 1u) << how;
        EXPECT_EQ(prompts.Asked[0].Text, question) << how;
        EXPECT_EQ(Memo(*w).Text(), recovered) << how;
        EXPECT_TRUE(Memo(*w).Modified()) << how;
        EXPECT_EQ(w->Document().FileName(), file) << how;
        EXPECT_EQ(w->Document().BackupNum(), 1) << how;
        // Saved, the recovered text is the file's.
        w->FileSave1Execute();
        EXPECT_EQ(ReadBytes(file), recovered.toUtf8()) << how;
        WriteBytes(file, "on disk\r\n");
        w->close();
    }

    // No: the file itself opens.  No orphan: nothing is asked.
    LeaveOrphan(file, recovered);
    prompts.Asked.clear();
    prompts.Answers = {QMessageBox::No};
    auto declined = Start({file});
    EXPECT_EQ(prompts.Asked.size(), 1u);
    EXPECT_EQ(Memo(*declined).Text(), QStringLiteral("on disk\r\n"));
    EXPECT_FALSE(Memo(*declined).Modified());
    prompts.Asked.clear();
    auto plain = Start({Path("other.txt")});
    EXPECT_TRUE(prompts.Asked.empty());
}
