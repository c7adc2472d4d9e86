#pragma once

// Opening a file to read a document from it.  Only a regular file is opened:
// a FIFO, a device, a socket or a folder is refused from what the file system
// says it is, before anything could wait on it.

#include <QFile>
#include <QString>

#include <stdexcept>
#include <sys/types.h>

namespace quillo::platform {

// A file that cannot be read; Reason() is one sentence for the user.
class EUnreadableFile : public std::runtime_error {
public:
    explicit EUnreadableFile(const QString& reason)
        : std::runtime_error(reason.toStdString()), FReason(reason) {}
    const QString& Reason() const { return FReason; }

private:
    QString FReason;
};

// Opens `file` for unbuffered reading on the regular file at `path` and
// returns its size as the file system reports it (0 for most /proc files).
// Throws EUnreadableFile.
qint64 OpenRegularFile(const QString& path, QFile& file);

// What a file of this kind is, when it is no regular file ("フォルダです。");
// empty for a regular file.
QString NotARegularFileReason(mode_t mode);

} // namespace quillo::platform
