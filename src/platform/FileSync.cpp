#include "platform/FileSync.h"

#include "platform/FileNames.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quillo::platform {

void SyncFolderOf(const QString& path) {
    QByteArray name = EncodeFileName(path);
    if (char* real = ::realpath(name.constData(), nullptr)) {
        name = real;
        std::free(real);
    }
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder =
        slash < 0 ? QByteArrayLiteral(".") : name.left(std::max<qsizetype>(slash, 1));
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
