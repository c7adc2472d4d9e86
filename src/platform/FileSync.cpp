#include "platform/FileSync.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace quillo::platform {

void SyncFolderOf(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).canonicalPath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void StartWriteback(int fd, qint64 offset, qint64 length) {
    if (fd >= 0 && length > 0) {
        ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
    }
}

} // namespace quillo::platform
