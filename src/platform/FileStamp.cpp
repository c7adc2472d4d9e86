// Stamps of files on disk: size, modification time and identity.
#include "platform/FileStamp.h"

#include "platform/FileNames.h"

#include <sys/stat.h>

namespace quillo::platform {

TFileStamp StampOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(EncodeFileName(path).constData(), &st) != 0) {
        return {};
    }
    TFileStamp stamp;
    stamp.Exists = true;
    stamp.Size = st.st_size;
    stamp.ModifiedNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    return stamp;
}

} // namespace quillo::platform
