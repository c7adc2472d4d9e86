#include "ChildProcess.h"

#include "platform/Processes.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <thread>

using quillo::platform::IsInstanceRunning;
using quillo::platform::OwnExecutableName;
using quillo::platform::ProcessExecutableName;
using quillo::testing::TChildProcess;

TEST(Processes, OwnNameIsTheExecutablesFileName) {
    EXPECT_EQ(OwnExecutableName(), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    EXPECT_TRUE(IsInstanceRunning(quillo::platform::CurrentProcessId()));
}

TEST(Processes, ForkedCopyIsARunningInstanceUntilItDies) {
    TChildProcess child = TChildProcess::ForkCopy();
    EXPECT_EQ(ProcessExecutableName(child.Pid()), OwnExecutableName());
    EXPECT_TRUE(IsInstanceRunning(child.Pid()));

    child.KillLeavingZombie();
    EXPECT_FALSE(IsInstanceRunning(child.Pid())) << "a zombie runs nothing";
    const qint64 pid = child.Pid();
    child.Kill();
    EXPECT_FALSE(IsInstanceRunning(pid));
}

TEST(Processes, NameIsComparedWithLetterCase) {
    TChildProcess child = TChildProcess::ForkCopy();
    const QString own = OwnExecutableName();
    EXPECT_TRUE(IsInstanceRunning(child.Pid(), own));
    EXPECT_FALSE(IsInstanceRunning(child.Pid(), own.toUpper()));
    EXPECT_FALSE(IsInstanceRunning(child.Pid(), QString()));
}

TEST(Processes, AnotherProgramIsNoInstance) {
    TChildProcess child = TChildProcess::Exec("sleep", "30");
    // exec replaces the forked copy's image; wait until it has.
    for (int i = 0; i < 500 && ProcessExecutableName(child.Pid()) == OwnExecutableName(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ProcessExecutableName(child.Pid()), QStringLiteral("sleep"));
    EXPECT_FALSE(IsInstanceRunning(child.Pid()));
}

TEST(Processes, ImpossibleIdsAreNotRunning) {
    EXPECT_FALSE(IsInstanceRunning(0));
    EXPECT_FALSE(IsInstanceRunning(-1));
    EXPECT_TRUE(ProcessExecutableName(0).isEmpty());
}
