#include "backup/BackupSlots.h"
#include "backup/BackupFile.h"
#include "backup/BackupStrings.h"
#include "platform/DataFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <mutex>
#include <set>

using namespace quillo::backup;

namespace {

// Copies of the program in one temporary world: their settings file, their
// data folder, and which process ids count as running copies.
class TFakeWorld {
public:
    TFakeWorld()
        : FSettingsPath(FDir.filePath(QStringLiteral("config/quillo.conf"))),
          FDataFolder(FDir.filePath(QStringLiteral("data/Orvane/quillo"))) {}

    TBackupEnvironment Copy(qint64 pid) {
        SetRunning(pid, true);
        TBackupEnvironment env;
        env.DataFolder = FDataFolder;
        env.OpenSettings = [path = FSettingsPath] {
            return std::make_unique<QSettings>(path, QSettings::IniFormat);
        };
        env.IsInstanceRunning = [this](qint64 p) {
            std::lock_guard lock(FMutex);
            return FRunning.count(p) != 0;
        };
        env.OwnPid = pid;
        return env;
    }

    void SetRunning(qint64 pid, bool running) {
        std::lock_guard lock(FMutex);
        if (running) {
            FRunning.insert(pid);
        } else {
            FRunning.erase(pid);
        }
    }

    void SetSlot(int n, const QString& file, int code, qint64 pid) {
        QSettings s(FSettingsPath, QSettings::IniFormat);
        s.setValue(QStringLiteral("Backup/BackUpFile%1").arg(n), file);
        s.setValue(QStringLiteral("Backup/BackUpCode%1").arg(n), code);
        s.setValue(QStringLiteral("Backup/BackUpPid%1").arg(n), pid);
    }
    void HoldSlots(int from, int to, qint64 firstPid) {
        for (int n = from; n <= to; ++n) {
            SetSlot(n, QStringLiteral("/doc/%1.txt").arg(n), 932, firstPid + n);
            SetRunning(firstPid + n, true);
        }
    }
    QVariant Value(const QString& name, int n) const {
        QSettings s(FSettingsPath, QSettings::IniFormat);
        return s.value(QStringLiteral("Backup/%1%2").arg(name).arg(n));
    }
    QString BackupFile(int n) const {
        return FDataFolder + QStringLiteral("/BackupFile%1.lftmp").arg(n);
    }
    void WriteBackup(int n, const QString& text) {
        quillo::platform::CreateFolderLevels(FDataFolder);
        WriteBackupFile(BackupFile(n), text);
    }
    QString DataFolder() const { return FDataFolder; }
    QString SettingsPath() const { return FSettingsPath; }

private:
    QTemporaryDir FDir;
    QString FSettingsPath;
    QString FDataFolder;
    std::mutex FMutex;
    std::set<qint64> FRunning;
};

// A recovery question that records being asked and answers from a script.
struct TAnswer {
    bool yes;
    int asked = 0;
    std::function<bool()> Callback() {
        return [this] {
            ++asked;
            return yes;
        };
    }
};

} // namespace

TEST(BackupSlots, StateFollowsTheValuesAndTheProcess) {
    TFakeWorld world;
    TBackupSlots taker(world.Copy(100));
    world.SetSlot(1, QStringLiteral("a"), 932, 100);
    world.SetSlot(2, QStringLiteral("b"), 932, 555);
    world.SetSlot(3, QStringLiteral("c"), 932, 100);
    QSettings(world.SettingsPath(), QSettings::IniFormat)
        .remove(QStringLiteral("Backup/BackUpCode3"));
    world.SetSlot(4, QStringLiteral("d"), 932, 100);
    QSettings(world.SettingsPath(), QSettings::IniFormat)
        .setValue(QStringLiteral("Backup/BackUpPid4"), QStringLiteral("not a number"));

    EXPECT_EQ(taker.SlotState(1), TSlotState::Held);
    EXPECT_EQ(taker.SlotState(2), TSlotState::Orphaned);
    EXPECT_EQ(taker.SlotState(3), TSlotState::Free) << "one value missing";
    EXPECT_EQ(taker.SlotState(4), TSlotState::Free) << "a value of the wrong kind is missing";
    EXPECT_EQ(taker.SlotState(5), TSlotState::Free);
}

TEST(BackupSlots, TakingPassesHeldAndOrphanedSlotsAndRecordsAtOnce) {
    TFakeWorld world;
    world.HoldSlots(1, 1, 1000);
    world.SetSlot(2, QStringLiteral("/doc/lost.txt"), 65001, 999); // orphaned
    TBackupSlots taker(world.Copy(42));
    taker.TakeFreeSlot(QStringLiteral("/doc/open.txt"), 51932);

    EXPECT_EQ(taker.BackupNum(), 3);
    EXPECT_EQ(taker.BackupFile(), world.BackupFile(3));
    EXPECT_EQ(world.Value(QStringLiteral("BackUpFile"), 3).toString(),
              QStringLiteral("/doc/open.txt"));
    EXPECT_EQ(world.Value(QStringLiteral("BackUpCode"), 3).toInt(), 51932);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 3).toLongLong(), 42);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 2).toLongLong(), 999) << "orphan untouched";
}

TEST(BackupSlots, RecoveryYesReadsTheOrphansBackup) {
    TFakeWorld world;
    world.HoldSlots(1, 1, 1000);
    // Slot 2 free; slot 3 orphaned and still ends the search.
    world.SetSlot(3, QStringLiteral("/doc/memo.txt"), 65001, 777);
    const QString text = QStringLiteral("한국어 😀\r\n日本語");
    world.WriteBackup(3, text);

    TBackupSlots taker(world.Copy(42));
    TAnswer answer{true};
    const TRecoveryResult r = taker.Recover(answer.Callback());

    EXPECT_EQ(answer.asked, 1);
    EXPECT_TRUE(r.OrphanTaken);
    EXPECT_TRUE(r.Asked);
    EXPECT_TRUE(r.Recovered);
    EXPECT_EQ(r.Text, text);
    EXPECT_EQ(r.FileName, QStringLiteral("/doc/memo.txt"));
    EXPECT_EQ(r.CodePage, 65001);
    EXPECT_EQ(taker.BackupNum(), 3);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 3).toLongLong(), 42);
    EXPECT_TRUE(QFileInfo::exists(world.BackupFile(3)));
}

TEST(BackupSlots, RecoveryNoKeepsTheCodeAndLeavesTheFile) {
    TFakeWorld world;
    world.SetSlot(1, QStringLiteral("/doc/memo.txt"), 1201, 777);
    world.WriteBackup(1, QStringLiteral("text"));

    TBackupSlots taker(world.Copy(42));
    TAnswer answer{false};
    const TRecoveryResult r = taker.Recover(answer.Callback());

    EXPECT_EQ(answer.asked, 1);
    EXPECT_TRUE(r.Asked);
    EXPECT_FALSE(r.Recovered);
    EXPECT_TRUE(r.Text.isEmpty());
    EXPECT_EQ(r.FileName, strings::Untitled);
    EXPECT_EQ(r.CodePage, 1201);
    EXPECT_EQ(taker.BackupNum(), 1);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 1).toLongLong(), 42);
    EXPECT_TRUE(QFileInfo::exists(world.BackupFile(1)));
}

TEST(BackupSlots, OrphanWithoutBackupIsTakenOverWithoutAQuestion) {
    TFakeWorld world;
    world.SetSlot(1, QStringLiteral("/doc/memo.txt"), 65001, 777);
    TBackupSlots taker(world.Copy(42));
    TAnswer answer{true};
    const TRecoveryResult r = taker.Recover(answer.Callback());

    EXPECT_EQ(answer.asked, 0);
    EXPECT_TRUE(r.OrphanTaken);
    EXPECT_FALSE(r.Recovered);
    EXPECT_EQ(r.FileName, strings::Untitled);
    EXPECT_EQ(taker.BackupNum(), 1);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 1).toLongLong(), 42);
}

TEST(BackupSlots, RecoveryWithoutOrphansTakesTheFirstFreeSlot) {
    TFakeWorld world;
    world.HoldSlots(1, 2, 1000);
    TBackupSlots first(world.Copy(42));
    TAnswer answer{true};
    const TRecoveryResult r = first.Recover(answer.Callback());
    EXPECT_EQ(answer.asked, 0);
    EXPECT_FALSE(r.OrphanTaken);
    EXPECT_EQ(r.FileName, strings::Untitled);
    EXPECT_EQ(r.CodePage, 932);
    EXPECT_EQ(first.BackupNum(), 3);

    // A second copy while the first runs passes its slot over.
    TBackupSlots second(world.Copy(43));
    second.Recover(answer.Callback());
    EXPECT_EQ(answer.asked, 0);
    EXPECT_EQ(second.BackupNum(), 4);
}

TEST(BackupSlots, WhenAllTwentyAreHeldEachWindowStillGetsItsOwnSlot) {
    TFakeWorld world;
    world.HoldSlots(1, kSlotCount, 1000);
    TBackupSlots a(world.Copy(42));
    TBackupSlots b(world.Copy(43));
    a.TakeFreeSlot(QStringLiteral("/doc/a.txt"), 932);
    b.Recover({});
    EXPECT_EQ(a.BackupNum(), 21);
    EXPECT_EQ(b.BackupNum(), 22);
    EXPECT_NE(a.BackupFile(), b.BackupFile());

    // a is killed after a backup; a later start finds and offers it.
    a.WriteBackup(u"beyond twenty", QStringLiteral("/doc/a.txt"), 932);
    world.SetRunning(42, false);
    TBackupSlots later(world.Copy(44));
    TAnswer answer{true};
    const TRecoveryResult r = later.Recover(answer.Callback());
    EXPECT_EQ(answer.asked, 1);
    EXPECT_EQ(later.BackupNum(), 21);
    EXPECT_EQ(r.Text, QStringLiteral("beyond twenty"));
    EXPECT_EQ(r.FileName, QStringLiteral("/doc/a.txt"));
}

TEST(BackupSlots, BackupCreatesTheFolderWritesTheFileAndRecords) {
    TFakeWorld world;
    TBackupSlots taker(world.Copy(42));
    taker.TakeFreeSlot(strings::Untitled, 932);
    ASSERT_FALSE(QFileInfo::exists(taker.BackupFile()));

    taker.WriteBackup(u"😀 edited", QStringLiteral("/doc/new.txt"), 65001);
    EXPECT_EQ(ReadBackupFile(taker.BackupFile()).text, QStringLiteral("😀 edited"));
    EXPECT_EQ(world.Value(QStringLiteral("BackUpFile"), 1).toString(),
              QStringLiteral("/doc/new.txt"));
    EXPECT_EQ(world.Value(QStringLiteral("BackUpCode"), 1).toInt(), 65001);

    taker.Record(QStringLiteral("/doc/saved.txt"), 1200);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpFile"), 1).toString(),
              QStringLiteral("/doc/saved.txt"));
    EXPECT_EQ(world.Value(QStringLiteral("BackUpCode"), 1).toInt(), 1200);
}

TEST(BackupSlots, BackupWithoutADataFolderFailsAndRecordsNothing) {
    TFakeWorld world;
    TBackupSlots taker(world.Copy(42));
    taker.TakeFreeSlot(QStringLiteral("/doc/a.txt"), 932);
    // A file where the folder should be.
    QDir(world.DataFolder()).removeRecursively();
    QFile blocker(world.DataFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    EXPECT_THROW(taker.WriteBackup(u"text", QStringLiteral("/doc/b.txt"), 65001),
                 quillo::platform::EFolderError);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpFile"), 1).toString(),
              QStringLiteral("/doc/a.txt"));
}

TEST(BackupSlots, ReleaseRemovesTheValuesAndTheFile) {
    TFakeWorld world;
    TBackupSlots taker(world.Copy(42));
    taker.TakeFreeSlot(QStringLiteral("/doc/a.txt"), 932);
    taker.WriteBackup(u"text", QStringLiteral("/doc/a.txt"), 932);
    const QString file = taker.BackupFile();
    taker.Release();

    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(world.Value(QStringLiteral("BackUpFile"), 1).isValid());
    EXPECT_FALSE(world.Value(QStringLiteral("BackUpCode"), 1).isValid());
    EXPECT_FALSE(world.Value(QStringLiteral("BackUpPid"), 1).isValid());
    EXPECT_EQ(taker.BackupNum(), 0);
    EXPECT_NO_THROW(taker.Release());
}

TEST(BackupSlots, ASlotTakenOverMeanwhileIsNeitherReleasedNorShared) {
    TFakeWorld world;
    TBackupSlots mine(world.Copy(42));
    mine.TakeFreeSlot(QStringLiteral("/doc/a.txt"), 932);
    mine.WriteBackup(u"mine", QStringLiteral("/doc/a.txt"), 932);
    // Another copy took slot 1 over (it thought us gone).
    world.SetSlot(1, QStringLiteral("/doc/other.txt"), 932, 43);
    world.SetRunning(43, true);
    world.WriteBackup(1, QStringLiteral("theirs"));

    mine.WriteBackup(u"mine again", QStringLiteral("/doc/a.txt"), 932);
    EXPECT_EQ(mine.BackupNum(), 2);
    EXPECT_EQ(ReadBackupFile(world.BackupFile(1)).text, QStringLiteral("theirs"));
    EXPECT_EQ(ReadBackupFile(world.BackupFile(2)).text, QStringLiteral("mine again"));

    world.SetSlot(2, QStringLiteral("/doc/other.txt"), 932, 43);
    mine.Release();
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 2).toLongLong(), 43);
    EXPECT_TRUE(QFileInfo::exists(world.BackupFile(2)));
}

TEST(BackupSlots, OpeningAFileTakesOverOnlyThatFilesOrphan) {
    TFakeWorld world;
    world.SetSlot(1, QStringLiteral("/doc/other.txt"), 932, 900); // another file's orphan
    world.WriteBackup(1, QStringLiteral("other"));
    world.SetSlot(2, QStringLiteral("/doc/open.txt"), 932, 901); // the file, held by a live copy
    world.SetRunning(901, true);
    world.WriteBackup(2, QStringLiteral("theirs"));
    world.SetSlot(3, QStringLiteral("/doc/open.txt"), 65001, 902); // the file's orphan
    world.WriteBackup(3, QStringLiteral("mine"));
    TBackupSlots taker(world.Copy(42));
    taker.TakeFreeSlot(QStringLiteral("名称未設定"), 932);
    ASSERT_EQ(taker.BackupNum(), 4);
    taker.WriteBackup(u"discarded", QStringLiteral("名称未設定"), 932);

    TAnswer yes{true};
    const TRecoveryResult r = taker.RecoverFileOf(QStringLiteral("/doc/open.txt"), yes.Callback());
    EXPECT_EQ(yes.asked, 1);
    EXPECT_TRUE(r.Recovered);
    EXPECT_EQ(r.Text, QStringLiteral("mine"));
    EXPECT_EQ(r.CodePage, 65001);
    EXPECT_EQ(taker.BackupNum(), 3);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 3).toLongLong(), 42);
    // The window's own slot went as at a close; the others are untouched.
    EXPECT_FALSE(world.Value(QStringLiteral("BackUpPid"), 4).isValid());
    EXPECT_FALSE(QFileInfo::exists(world.BackupFile(4)));
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 1).toLongLong(), 900);
    EXPECT_EQ(world.Value(QStringLiteral("BackUpPid"), 2).toLongLong(), 901);

    // Nothing more to offer for that file: nothing changes.
    TAnswer again{true};
    const TRecoveryResult none =
        taker.RecoverFileOf(QStringLiteral("/doc/open.txt"), again.Callback());
    EXPECT_FALSE(none.OrphanTaken);
    EXPECT_EQ(again.asked, 0);
    EXPECT_EQ(taker.BackupNum(), 3);
}

TEST(BackupSlots, LiveHolderOfNamesOnlyAnotherRunningCopyOfTheSameFile) {
    TFakeWorld world;
    TBackupSlots self(world.Copy(42));
    self.TakeFreeSlot(QStringLiteral("/doc/open.txt"), 932);     // our own slot never counts
    world.SetSlot(5, QStringLiteral("/doc/open.txt"), 932, 900); // an orphan: not running
    world.SetSlot(7, QStringLiteral("/doc/other.txt"), 932, 901);
    world.SetRunning(901, true);
    EXPECT_EQ(self.LiveHolderOf(QStringLiteral("/doc/open.txt")), 0);

    world.SetSlot(30, QStringLiteral("/doc/open.txt"), 65001, 902); // above the twenty
    world.SetRunning(902, true);
    EXPECT_EQ(self.LiveHolderOf(QStringLiteral("/doc/open.txt")), 902);
    EXPECT_EQ(self.LiveHolderOf(QStringLiteral("/doc/other.txt")), 901);
    world.SetRunning(902, false);
    EXPECT_EQ(self.LiveHolderOf(QStringLiteral("/doc/open.txt")), 0);
}
