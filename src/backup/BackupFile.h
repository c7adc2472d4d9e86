#pragma once

// A window's backup file: its text as UTF-16LE with a byte-order mark, so that
// every character survives; files of earlier versions carry no mark and are
// Shift-JIS.

#include "codepage/codepage.h"

#include <QString>
#include <QStringView>

#include <stdexcept>

namespace quillo::backup {

// A backup that cannot be read or written, or bookkeeping that cannot be
// locked or stored; the message is for the user.
class EBackupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest backup of a text the view can hold: two bytes a unit and the mark.
inline constexpr qint64 kMaxBackupBytes = 2 * (qint64{1} << 30) + 2;

// Replaces the file atomically: a crash while writing leaves the last good
// backup in place.  A link or a special file in its place is replaced, never
// written through.  Throws EBackupError.
void WriteBackupFile(const QString& path, QStringView text);

// True when `path` is a backup that can be read: a regular file, no link, of
// at most kMaxBackupBytes.
bool IsReadableBackup(const QString& path);

// The text of a backup, either kind.  Throws EBackupError, also for anything
// IsReadableBackup refuses, before reading a byte of it.
codepage::LoadedText ReadBackupFile(const QString& path);

} // namespace quillo::backup
