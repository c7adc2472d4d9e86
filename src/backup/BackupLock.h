#pragma once

// The lock over the bookkeeping that running copies share.  A lock file that
// no process holds (its process has ended, or it is no lock file at all:
// garbage, a folder) is taken over at once.  A live holder is waited for no
// longer than the caller allows, and on the program's main thread never more
// than kLockSlice at a time: between slices the window's events other than
// the user's input are handled, so that it paints and its timers run.

#include "backup/BackupFile.h"

#include <QLockFile>
#include <QString>

#include <chrono>

namespace quillo::backup {

// A live copy held the lock for longer than the wait allowed.
class EBackupBusy : public EBackupError {
public:
    using EBackupError::EBackupError;
};

// The longest the main thread waits without handling its events.
inline constexpr std::chrono::milliseconds kLockSlice{50};
// Taking, recording and releasing a slot: copies starting together queue up.
inline constexpr std::chrono::milliseconds kLockWait{30000};
// The backup a minute: it writes its file without the bookkeeping rather than wait.
inline constexpr std::chrono::milliseconds kTimerLockWait{50};
// A process that is ending, before it writes its backup without the bookkeeping.
inline constexpr std::chrono::milliseconds kEndingLockWait{1000};

// True once `lock` (on `path`) is held.
bool AcquireBackupLock(QLockFile& lock, const QString& path, std::chrono::milliseconds wait);

} // namespace quillo::backup
