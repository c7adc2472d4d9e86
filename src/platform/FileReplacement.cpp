#include "platform/FileReplacement.h"

#include "platform/DataFolder.h"
#include "platform/FileNames.h"
#include "platform/FileSync.h"
#include "platform/ReadableFile.h"
#include "platform/SystemErrors.h"

#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quillo::platform {

namespace {

using TStage = EWriteError::TStage;

// How much is written before the disk is asked to start on it.
constexpr qint64 kWritebackBytes = 32 * 1024 * 1024;
// A FIFO or device that takes nothing for this long is given up.
constexpr int kStreamTimeoutMs = 5000;
constexpr mode_t kModeBits = 07777;

const QString kUnchanged = QStringLiteral("ファイルは変更されていません。");

class TFd {
public:
    explicit TFd(int fd = -1) : FFd(fd) {}
    TFd(TFd&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
    TFd& operator=(TFd&& other) noexcept {
        Reset();
        FFd = std::exchange(other.FFd, -1);
        return *this;
    }
    ~TFd() { Reset(); }
    int Get() const { return FFd; }
    explicit operator bool() const { return FFd >= 0; }
    // Closes now; the error close reported, or 0.
    int Close() {
        const int fd = FFd;
        FFd = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }
    void Reset() { Close(); }

private:
    int FFd;
};

QByteArray FolderOf(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

QByteArray BaseOf(const QByteArray& name) {
    return name.mid(name.lastIndexOf('/') + 1);
}

// Symbolic links are followed to the file they name, so that a save writes
// that file and the link stays a link; a dangling link names the file to make.
QByteArray ResolveTarget(QByteArray name) {
    for (int depth = 0; depth < 40; ++depth) {
        if (char* real = ::realpath(name.constData(), nullptr)) {
            QByteArray resolved(real);
            std::free(real);
            return resolved;
        }
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return name;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(name.constData(), target.data(), target.size());
        if (n <= 0) {
            return name;
        }
        target.resize(static_cast<std::size_t>(n));
        name = target.front() == '/' ? QByteArray::fromStdString(target)
                                     : FolderOf(name) + '/' + QByteArray::fromStdString(target);
    }
    return name;
}

bool IsReadOnly(const QByteArray& name, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0;
}

bool InGroup(gid_t gid) {
    if (gid == ::getegid()) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == gid) {
            return true;
        }
    }
    return false;
}

// Whether a new file could be given this owner and group.
bool CanKeepOwner(const struct stat& st) {
    const uid_t me = ::geteuid();
    return me == 0 || (st.st_uid == me && InGroup(st.st_gid));
}

QString Reason(int error, bool existed) {
    return SystemErrorText(error) + (existed ? kUnchanged : QString());
}

// Writes all of [p, p + n); a non-blocking stream is waited for, not spun on.
bool WriteAll(int fd, const char* p, qsizetype n, int& error) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, static_cast<std::size_t>(n));
        if (w >= 0) {
            p += w;
            n -= w;
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            error = errno;
            return false;
        }
        pollfd waiting{fd, POLLOUT, 0};
        const int r = ::poll(&waiting, 1, kStreamTimeoutMs);
        if (r == 0) {
            error = ETIMEDOUT;
            return false;
        }
        if (r < 0 && errno != EINTR) {
            error = errno;
            return false;
        }
    }
    return true;
}

struct TPumped {
    int Error = 0; // 0 when every byte was written
    qint64 Bytes = 0;
};

TPumped Pump(int fd, const TByteProducer& produce, bool hintWriteback) {
    TPumped result;
    qint64 started = 0;
    const bool done = produce([&](QByteArrayView bytes) {
        if (!WriteAll(fd, bytes.data(), bytes.size(), result.Error)) {
            return false;
        }
        result.Bytes += bytes.size();
        if (hintWriteback && result.Bytes - started >= kWritebackBytes) {
            StartWriteback(fd, started, result.Bytes - started);
            started = result.Bytes;
        }
        return true;
    });
    if (!done && result.Error == 0) {
        result.Error = EIO;
    }
    return result;
}

int SyncAndClose(TFd& fd) {
    if (::fsync(fd.Get()) != 0 && errno != EINVAL) {
        const int error = errno;
        fd.Close();
        return error;
    }
    return fd.Close();
}

// The names of a file's extended attributes (ACLs among them); nullopt when
// they cannot be listed.
std::optional<std::set<QByteArray>> AttributeNames(const QByteArray& name, int fd) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size =
            fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(name.constData(), nullptr, 0);
        if (size < 0) {
            return errno == ENOTSUP ? std::optional(std::set<QByteArray>{}) : std::nullopt;
        }
        QByteArray list(size, '\0');
        const ssize_t got = fd >= 0 ? ::flistxattr(fd, list.data(), list.size())
                                    : ::listxattr(name.constData(), list.data(), list.size());
        if (got < 0 && errno == ERANGE) {
            continue; // the list grew meanwhile
        }
        if (got < 0) {
            return std::nullopt;
        }
        std::set<QByteArray> names;
        for (const QByteArray& n : list.left(got).split('\0')) {
            if (!n.isEmpty()) {
                names.insert(n);
            }
        }
        return names;
    }
    return std::nullopt;
}

std::optional<QByteArray> AttributeValue(const QByteArray& name, int fd, const QByteArray& attr) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = fd >= 0 ? ::fgetxattr(fd, attr.constData(), nullptr, 0)
                                     : ::getxattr(name.constData(), attr.constData(), nullptr, 0);
        if (size < 0) {
            return std::nullopt;
        }
        QByteArray value(size, '\0');
        const ssize_t got =
            fd >= 0 ? ::fgetxattr(fd, attr.constData(), value.data(), value.size())
                    : ::getxattr(name.constData(), attr.constData(), value.data(), value.size());
        if (got >= 0) {
            value.truncate(got);
            return value;
        }
        if (errno != ERANGE) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Gives the new file exactly the old one's attributes: those it lacks are
// set, those it got by itself (a folder's default ACL) and the old one has
// not are taken away.  False when any could not be.
bool CopyAttributes(const QByteArray& from, int to) {
    const auto wanted = AttributeNames(from, -1);
    const auto present = AttributeNames({}, to);
    if (!wanted || !present) {
        return false;
    }
    for (const QByteArray& attr : *wanted) {
        const auto value = AttributeValue(from, -1, attr);
        if (!value) {
            return false;
        }
        if (present->count(attr) != 0 && AttributeValue({}, to, attr) == value) {
            continue;
        }
        if (::fsetxattr(to, attr.constData(), value->constData(), value->size(), 0) != 0) {
            return false;
        }
    }
    for (const QByteArray& attr : *present) {
        if (wanted->count(attr) == 0 && ::fremovexattr(to, attr.constData()) != 0) {
            return false;
        }
    }
    return true;
}

QByteArray TemporaryName(const QByteArray& folder) {
    return folder + "/.quillo-save-" + QByteArray::number(::getpid()) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

enum class TRename { Done, InPlaceInstead };

// The new content in a temporary file beside the old one, then a rename over
// it.  `old` is null for a file that does not exist yet.
TRename ReplaceByRename(const QByteArray& name, const struct stat* old,
                        const TByteProducer& produce) {
    const QByteArray folder = FolderOf(name);
    QByteArray temporary;
    TFd fd;
    for (int attempt = 0; attempt < 100 && !fd; ++attempt) {
        temporary = TemporaryName(folder);
        // A new file takes the mode the umask and the folder's ACL give it.
        fd = TFd(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        old != nullptr ? 0600 : 0666));
        if (!fd && errno != EEXIST) {
            break;
        }
    }
    if (!fd) {
        const int error = errno;
        if (old != nullptr && (error == EACCES || error == EPERM)) {
            return TRename::InPlaceInstead; // a folder we may not write
        }
        throw EWriteError(old != nullptr ? TStage::Write : TStage::Create, error,
                          Reason(error, old != nullptr));
    }
    struct TRemoveUnlessKept {
        const QByteArray& Name;
        bool Keep = false;
        ~TRemoveUnlessKept() {
            if (!Keep) {
                ::unlink(Name.constData());
            }
        }
    } temporaryFile{temporary};

    if (old != nullptr) {
        // Before the content: when the file cannot be given its identity, it is
        // written in place at no cost of a whole write.
        if (::fchown(fd.Get(), old->st_uid, old->st_gid) != 0 || !CopyAttributes(name, fd.Get())) {
            return TRename::InPlaceInstead;
        }
    }
    const TPumped pumped = Pump(fd.Get(), produce, true);
    if (pumped.Error != 0) {
        throw EWriteError(TStage::Write, pumped.Error, Reason(pumped.Error, old != nullptr));
    }
    // After the content: writing may clear the set-user-ID and set-group-ID bits.
    if (old != nullptr && ::fchmod(fd.Get(), old->st_mode & kModeBits) != 0) {
        return TRename::InPlaceInstead;
    }
    if (const int error = SyncAndClose(fd); error != 0) {
        throw EWriteError(TStage::Write, error, Reason(error, old != nullptr));
    }
    if (::rename(temporary.constData(), name.constData()) != 0) {
        const int error = errno;
        throw EWriteError(TStage::Write, error, Reason(error, old != nullptr));
    }
    temporaryFile.Keep = true;
    SyncFolderOf(DecodeFileName(name));
    return TRename::Done;
}

// Copies everything from `from` (from its start) to `to` (from its start).
int CopyContent(int from, int to) {
    constexpr std::size_t kBlock = 1 << 20;
    const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(from, block.get(), kBlock, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            return 0;
        }
        qsizetype done = 0;
        while (done < n) {
            const ssize_t w =
                ::pwrite(to, block.get() + done, static_cast<std::size_t>(n - done), offset + done);
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w < 0) {
                return errno;
            }
            done += w;
        }
        offset += n;
    }
}

class TSafetyCopy {
public:
    // Copies the old content to the safety folder and syncs it.  Throws
    // EWriteError (nothing written yet).
    TSafetyCopy(int old, const QByteArray& target, const QString& folder) {
        const auto refuse = [](const QString& why) {
            throw EWriteError(
                TStage::Refused, 0,
                QStringLiteral("元の内容の写しを作れないため、書き込みませんでした。") + why +
                    kUnchanged);
        };
        try {
            CreateFolderLevels(folder);
        } catch (const EFolderError& e) {
            refuse(QString::fromStdString(e.what()));
        }
        const QByteArray base = BaseOf(target).left(120);
        const QByteArray dir = EncodeFileName(folder);
        TFd copy;
        for (int attempt = 0; attempt < 100 && !copy; ++attempt) {
            FPath = dir + "/SafetyCopy-" + QByteArray::number(::getpid()) + '-' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36) + '-' + base;
            copy = TFd(::open(FPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (!copy && errno != EEXIST) {
                break;
            }
        }
        if (!copy) {
            refuse(SystemErrorText(errno));
        }
        int error = CopyContent(old, copy.Get());
        if (error == 0) {
            error = SyncAndClose(copy);
        }
        if (error != 0) {
            ::unlink(FPath.constData());
            refuse(SystemErrorText(error));
        }
        SyncFolderOf(DecodeFileName(FPath));
    }
    TSafetyCopy(const TSafetyCopy&) = delete;
    TSafetyCopy& operator=(const TSafetyCopy&) = delete;

    // Puts the old content back into `target`; true when it is whole again.
    bool PutBack(int target, off_t size) const {
        const TFd copy(::open(FPath.constData(), O_RDONLY | O_CLOEXEC));
        return copy && CopyContent(copy.Get(), target) == 0 && ::ftruncate(target, size) == 0 &&
               (::fsync(target) == 0 || errno == EINVAL);
    }
    void Remove() const { ::unlink(FPath.constData()); }
    QString Path() const { return DecodeFileName(FPath); }

private:
    QByteArray FPath;
};

// Opens the old file for writing; a read-only file the user agreed to write
// and that we own is made writable for the time of the write.  Returns the
// mode to put back, if it was changed.
TFd OpenForWriting(const QByteArray& name, const struct stat& st, bool writeReadOnly,
                   bool& modeChanged) {
    TFd fd(::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd && errno == EACCES && writeReadOnly && st.st_uid == ::geteuid() &&
        ::chmod(name.constData(), (st.st_mode | S_IWUSR) & kModeBits) == 0) {
        modeChanged = true;
        fd = TFd(::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
        if (!fd) {
            const int error = errno;
            ::chmod(name.constData(), st.st_mode & kModeBits);
            modeChanged = false;
            errno = error;
        }
    }
    return fd;
}

void WriteInPlace(const QByteArray& name, const struct stat& st, const TByteProducer& produce,
                  const TWriteOptions& options) {
    const TFd old(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!old) {
        const int error = errno;
        throw EWriteError(TStage::Refused, error,
                          QStringLiteral("元の内容を読めないため、書き込みませんでした。") +
                              Reason(error, true));
    }
    bool modeChanged = false;
    TFd fd = OpenForWriting(name, st, options.WriteReadOnly, modeChanged);
    if (!fd) {
        const int error = errno;
        throw EWriteError(TStage::Write, error, Reason(error, true));
    }
    struct stat current {};
    const off_t size = ::fstat(old.Get(), &current) == 0 ? current.st_size : st.st_size;
    const TSafetyCopy safety(old.Get(), name, options.SafetyFolder);
    // Setting the mode back also restores the set-ID bits a write clears.
    const auto restoreMode = [&] {
        if (modeChanged || (st.st_mode & (S_ISUID | S_ISGID)) != 0) {
            ::fchmod(fd.Get(), st.st_mode & kModeBits);
        }
    };
    // Puts the old content back; says what became of the file.
    const auto failed = [&](int error) {
        restoreMode();
        if (safety.PutBack(fd.Get(), size)) {
            safety.Remove();
            return EWriteError(TStage::Write, error, Reason(error, true));
        }
        return EWriteError(
            TStage::Write, error,
            SystemErrorText(error) +
                QStringLiteral("元の内容は %1 に残してあります。").arg(safety.Path()));
    };
    TPumped pumped;
    try {
        pumped = Pump(fd.Get(), produce, true);
    } catch (...) {
        failed(EIO);
        throw;
    }
    if (pumped.Error != 0) {
        throw failed(pumped.Error);
    }
    if (::ftruncate(fd.Get(), pumped.Bytes) != 0 || (::fsync(fd.Get()) != 0 && errno != EINVAL)) {
        throw failed(errno);
    }
    restoreMode();
    fd.Close();
    safety.Remove();
}

void WriteIntoStream(const QByteArray& name, const TByteProducer& produce) {
    TFd fd(::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd) {
        const int error = errno;
        throw EWriteError(TStage::Create, error, SystemErrorText(error));
    }
    const TPumped pumped = Pump(fd.Get(), produce, false);
    if (pumped.Error != 0) {
        throw EWriteError(TStage::Write, pumped.Error, SystemErrorText(pumped.Error));
    }
}

} // namespace

TWriteTarget InspectWriteTarget(const QString& path) {
    const QByteArray name = ResolveTarget(EncodeFileName(path));
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        return {};
    }
    // What is refused anyway (a folder, a socket) asks no question first.
    const bool writable = S_ISREG(st.st_mode) || S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode);
    return {true, writable && IsReadOnly(name, st)};
}

TWriteWay WriteFileSafely(const QString& path, const TByteProducer& produce,
                          const TWriteOptions& options) {
    const QByteArray name = ResolveTarget(EncodeFileName(path));
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (errno != ENOENT) {
            const int error = errno;
            throw EWriteError(TStage::Create, error, SystemErrorText(error));
        }
        ReplaceByRename(name, nullptr, produce);
        return TWriteWay::Created;
    }
    if (S_ISDIR(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISBLK(st.st_mode)) {
        throw EWriteError(TStage::Refused, 0,
                          NotARegularFileReason(st.st_mode) +
                              QStringLiteral("書き込めるのはファイル、キャラクタデバイス、"
                                             "名前付きパイプだけです。"));
    }
    if (!options.WriteReadOnly && IsReadOnly(name, st)) {
        throw EWriteError(TStage::Refused, EACCES,
                          QStringLiteral("読み取り専用のファイルです。") + kUnchanged);
    }
    if (!S_ISREG(st.st_mode)) {
        WriteIntoStream(name, produce);
        return TWriteWay::IntoDevice;
    }
    if (st.st_nlink == 1 && CanKeepOwner(st) &&
        ReplaceByRename(name, &st, produce) == TRename::Done) {
        return TWriteWay::Replaced;
    }
    WriteInPlace(name, st, produce, options);
    return TWriteWay::InPlace;
}

} // namespace quillo::platform
