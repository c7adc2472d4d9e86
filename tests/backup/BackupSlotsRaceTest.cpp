// Copies of the program starting at the same moment: threads with their own
// settings objects, and real processes of this test program.

#include "backup/BackupSlots.h"
#include "platform/Processes.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <set>
#include <thread>
#include <vector>

using namespace quillo::backup;

namespace {

TBackupEnvironment EnvironmentIn(const QString& root, qint64 pid,
                                 std::function<bool(qint64)> running) {
    TBackupEnvironment env;
    env.DataFolder = root + QStringLiteral("/data/Orvane/quillo");
    env.OpenSettings = [path = root + QStringLiteral("/quillo.conf")] {
        return std::make_unique<QSettings>(path, QSettings::IniFormat);
    };
    env.IsInstanceRunning = std::move(running);
    env.OwnPid = pid;
    return env;
}

void WaitUntil(qint64 msSinceEpoch) {
    while (QDateTime::currentMSecsSinceEpoch() < msSinceEpoch) {
        std::this_thread::yield();
    }
}

} // namespace

TEST(BackupSlotRace, ThreadsNeverShareASlot) {
    constexpr int kCopies = 12; // more than a few past the twenty once repeated
    QTemporaryDir dir;
    std::vector<int> taken(kCopies * 2);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kCopies * 2; ++i) {
        threads.emplace_back([&, i] {
            TBackupSlots taker(EnvironmentIn(dir.path(), 1000 + i, [](qint64) { return true; }));
            while (!go) {
                std::this_thread::yield();
            }
            if (i % 2 == 0) {
                taker.TakeFreeSlot(QStringLiteral("/doc/%1.txt").arg(i), 932);
            } else {
                taker.Recover({});
            }
            taken[i] = taker.BackupNum();
        });
    }
    go = true;
    for (auto& t : threads) {
        t.join();
    }
    const std::set<int> distinct(taken.begin(), taken.end());
    EXPECT_EQ(distinct.size(), taken.size());
    EXPECT_EQ(*distinct.begin(), 1);
    EXPECT_EQ(*distinct.rbegin(), kCopies * 2) << "numbers above twenty follow on";

    QSettings s(dir.path() + QStringLiteral("/quillo.conf"), QSettings::IniFormat);
    for (int i = 0; i < kCopies * 2; ++i) {
        EXPECT_EQ(s.value(QStringLiteral("Backup/BackUpPid%1").arg(taken[i])).toLongLong(),
                  1000 + i);
    }
}

// Run by ProcessesNeverShareASlot in copies of this program; skipped otherwise.
TEST(BackupSlotRace, ChildTakesOneSlot) {
    const QString root = qEnvironmentVariable("QUILLO_BACKUP_RACE_ROOT");
    if (root.isEmpty()) {
        GTEST_SKIP() << "only run as a child of ProcessesNeverShareASlot";
    }
    TBackupSlots taker(EnvironmentIn(root, quillo::platform::CurrentProcessId(), [](qint64 pid) {
        return quillo::platform::IsInstanceRunning(pid);
    }));
    WaitUntil(qEnvironmentVariable("QUILLO_BACKUP_RACE_START").toLongLong());
    taker.TakeFreeSlot(QStringLiteral("/doc/child.txt"), 932);
    std::printf("SLOT %d PID %lld\n", taker.BackupNum(),
                static_cast<long long>(quillo::platform::CurrentProcessId()));
    std::fflush(stdout);
}

TEST(BackupSlotRace, ProcessesNeverShareASlot) {
    constexpr int kChildren = 6;
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLO_BACKUP_RACE_ROOT"), dir.path());
    env.insert(QStringLiteral("QUILLO_BACKUP_RACE_START"),
               QString::number(QDateTime::currentMSecsSinceEpoch() + 3000));
    std::vector<std::unique_ptr<QProcess>> children;
    for (int i = 0; i < kChildren; ++i) {
        auto child = std::make_unique<QProcess>();
        child->setProcessEnvironment(env);
        child->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--gtest_filter=BackupSlotRace.ChildTakesOneSlot")});
        children.push_back(std::move(child));
    }
    std::set<int> seen;
    QSettings s(dir.path() + QStringLiteral("/quillo.conf"), QSettings::IniFormat);
    s.sync();
    for (auto& child : children) {
        ASSERT_TRUE(child->waitForFinished(60000));
        ASSERT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
        const QString out = QString::fromUtf8(child->readAllStandardOutput());
        const auto m = QRegularExpression(QStringLiteral("SLOT (\\d+) PID (\\d+)")).match(out);
        ASSERT_TRUE(m.hasMatch()) << out.toStdString();
        const int slot = m.captured(1).toInt();
        EXPECT_TRUE(seen.insert(slot).second) << "slot " << slot << " taken twice";
        s.sync();
        EXPECT_EQ(s.value(QStringLiteral("Backup/BackUpPid%1").arg(slot)).toLongLong(),
                  m.captured(2).toLongLong());
    }
    EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4, 5, 6}));
}
