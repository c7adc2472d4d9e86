#include "platform/ReadableFile.h"

#include "platform/FileNames.h"
#include "platform/SystemErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo::platform {

QString NotARegularFileReason(mode_t mode) {
    if (S_ISREG(mode)) {
        return {};
    }
    if (S_ISDIR(mode)) {
        return QStringLiteral("フォルダです。");
    }
    if (S_ISFIFO(mode)) {
        return QStringLiteral("名前付きパイプ (FIFO) です。");
    }
    if (S_ISCHR(mode)) {
        return QStringLiteral("キャラクタデバイスです。");
    }
    if (S_ISBLK(mode)) {
        return QStringLiteral("ブロックデバイスです。");
    }
    if (S_ISSOCK(mode)) {
        return QStringLiteral("ソケットです。");
    }
    return QStringLiteral("通常のファイルではありません。");
}

namespace {

[[noreturn]] void RefuseKind(mode_t mode) {
    throw EUnreadableFile(NotARegularFileReason(mode) +
                          QStringLiteral("開けるのは通常のファイルだけです。"));
}

} // namespace

qint64 OpenRegularFile(const QString& path, QFile& file) {
    const QByteArray name = EncodeFileName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        throw EUnreadableFile(SystemErrorText(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        RefuseKind(st.st_mode);
    }
    // Non-blocking, in case the name was swapped for a FIFO since the stat.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        throw EUnreadableFile(SystemErrorText(errno));
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        ::close(fd);
        if (S_ISREG(st.st_mode)) {
            throw EUnreadableFile(SystemErrorText(error));
        }
        RefuseKind(st.st_mode);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw EUnreadableFile(file.errorString());
    }
    return static_cast<qint64>(st.st_size);
}

} // namespace quillo::platform
