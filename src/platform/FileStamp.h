#pragma once

// What a file on disk looked like at one moment, to tell later whether some
// other program has written it, replaced it or removed it since.

#include <QString>

namespace quillo::platform {

struct TFileStamp {
    bool Exists = false;
    qint64 Size = 0;
    qint64 ModifiedNs = 0; // modification time, nanoseconds since the epoch
    quint64 Device = 0;
    quint64 Inode = 0;

    bool operator==(const TFileStamp&) const = default;
};

// The stamp of `path` now (following links); Exists is false when there is
// no such file or it cannot be looked at.
TFileStamp StampOf(const QString& path);

} // namespace quillo::platform
