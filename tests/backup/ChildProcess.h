#pragma once

// Real processes for the tests of the process check: a forked copy of this
// test program (same executable, so a running copy of "us"), or another
// program.  Each is killed and reaped when it goes out of scope.

#include <QString>

#include <csignal>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillo::testing {

class TChildProcess {
public:
    // A fork that waits, still running this program's executable.
    static TChildProcess ForkCopy() {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (;;) {
                ::pause();
            }
        }
        return TChildProcess(pid);
    }

    // Another program (one that waits), started through exec.
    static TChildProcess Exec(const char* program, const char* arg) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execlp(program, program, arg, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return TChildProcess(pid);
    }

    TChildProcess(TChildProcess&& other) noexcept : FPid(other.FPid) { other.FPid = -1; }
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    ~TChildProcess() { Kill(); }

    qint64 Pid() const { return FPid; }

    // Kills and reaps it: its id is no longer a process.
    void Kill() {
        if (FPid > 0) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
            FPid = -1;
        }
    }

    // Kills it but leaves it unreaped: a zombie under the same id.
    void KillLeavingZombie() {
        ::kill(FPid, SIGKILL);
        siginfo_t info{};
        ::waitid(P_PID, static_cast<id_t>(FPid), &info, WEXITED | WNOWAIT);
    }

private:
    explicit TChildProcess(pid_t pid) : FPid(pid) {}
    pid_t FPid;
};

} // namespace quillo::testing
