#pragma once

// Asking the disk to keep what was written: the folder entry of a renamed file,
// and early write-back of a long file while it is still being written.

#include <QString>
#include <QtGlobal>

namespace quillo::platform {

// Flushes the entry of `path` in its folder, so that a rename that ended a save
// lasts through a crash.  A folder that cannot be synced (some file systems
// refuse) is passed over: the file itself is complete already.
void SyncFolderOf(const QString& path);

// Asks the disk to start writing [offset, offset + length) of an open file now,
// so that the final sync waits for less.  A hint only; nothing is reported.
void StartWriteback(int fd, qint64 offset, qint64 length);

} // namespace quillo::platform
