#pragma once

// The fault-injection cases: each drives the real window (or, where a case
// needs another user, the real document path) into a fault and checks that
// nothing is lost or changed.  How long each held the window up is measured
// and the longest is reported at the end of the run.

#include "support/FileBytes.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <dirent.h>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace quillo::testing {

// The longest any case held the window up, for the summary.
struct TBlockRecord {
    qint64 Ms = 0;
    std::string Case;
};
inline TBlockRecord& LongestBlock() {
    static TBlockRecord record;
    return record;
}

inline bool IsRoot() {
    return ::geteuid() == 0;
}

inline struct stat StatOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// The names in a folder, as bytes.
inline QList<QByteArray> EntriesOf(const QString& folder) {
    QList<QByteArray> names;
    if (DIR* d = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* e = ::readdir(d)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..") {
                names << name;
            }
        }
        ::closedir(d);
    }
    return names;
}

// Runs `body` as user nobody in a child process; its result is the exit code.
inline int RunAsNobody(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(90);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Whether the file system of `folder` keeps user extended attributes.
inline bool KeepsUserAttributes(const QString& folder) {
    const QString probe = folder + QStringLiteral("/xattr-probe");
    QFile f(probe);
    if (!f.open(QIODevice::WriteOnly)) {
        return false;
    }
    f.close();
    const bool ok = ::setxattr(QFile::encodeName(probe).constData(), "user.probe", "1", 1, 0) == 0;
    QFile::remove(probe);
    return ok;
}

inline QByteArray Attribute(const QString& path, const char* name) {
    const QByteArray file = QFile::encodeName(path);
    const ssize_t size = ::getxattr(file.constData(), name, nullptr, 0);
    if (size < 0) {
        return QByteArray("<none>");
    }
    QByteArray value(size, '\0');
    ::getxattr(file.constData(), name, value.data(), value.size());
    return value;
}

// A POSIX access ACL as the kernel stores it in system.posix_acl_access:
// owner rw, user `uid` rw, group r, mask rw, others r.
inline QByteArray AclGivingUser(quint32 uid) {
    QByteArray acl;
    auto put16 = [&](quint16 v) {
        acl.append(char(v & 0xFF)).append(char(v >> 8));
    };
    auto put32 = [&](quint32 v) {
        put16(quint16(v & 0xFFFF));
        put16(quint16(v >> 16));
    };
    auto entry = [&](quint16 tag, quint16 perm, quint32 id) {
        put16(tag);
        put16(perm);
        put32(id);
    };
    constexpr quint32 kUndefined = 0xFFFFFFFF;
    put32(2);                   // version
    entry(0x01, 6, kUndefined); // owner
    entry(0x02, 6, uid);        // named user
    entry(0x04, 4, kUndefined); // owning group
    entry(0x10, 6, kUndefined); // mask
    entry(0x20, 4, kUndefined); // others
    return acl;
}

class FaultTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        form = Start();
    }

    // Runs a command the way the window runs it and notes how long it held
    // the window up.
    template <typename F> qint64 Blocked(F&& command) {
        QElapsedTimer clock;
        clock.start();
        command();
        const qint64 ms = clock.elapsed();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name = std::string(info->test_suite_name()) + "." + info->name();
        std::printf("[fault] %s: window held %lld ms\n", name.c_str(), static_cast<long long>(ms));
        if (ms > LongestBlock().Ms) {
            LongestBlock() = {ms, name};
        }
        return ms;
    }

    void Type(const QString& text) { WindowTest::Type(*form, text); }
    QString Text() { return Memo(*form).Text(); }

    // Opens through the open dialog; filter 1 detects, 2 is Shift-JIS, 6 UTF-16BE.
    void Open(const QString& path, int filterIndex = 2) {
        prompts.FileAnswers.push_back({true, path, filterIndex});
        form->FileOpen1Execute();
    }
    // Save as `path` in Shift-JIS, answering Yes to the overwrite question.
    void SaveAs(const QString& path) {
        prompts.FileAnswers.push_back({true, path, 1});
        prompts.Answers.push_back(QMessageBox::Yes);
        form->FileSaveAs1Execute();
    }
    bool SafetyCopiesLeft() const {
        return !QDir(platform::AppDataFolder())
                    .entryList({QStringLiteral("SafetyCopy-*")}, QDir::Files | QDir::Hidden)
                    .isEmpty();
    }
    QString LastError() const { return prompts.Errors.empty() ? QString() : prompts.Errors.back(); }

    std::unique_ptr<app::TWin2kAppForm> form;
};

} // namespace quillo::testing
