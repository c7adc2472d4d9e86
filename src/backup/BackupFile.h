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

// Replaces the file atomically: a crash while writing leaves the last good
// backup in place.  Throws EBackupError.
void WriteBackupFile(const QString& path, QStringView text);

// The text of a backup, either kind.  Throws EBackupError.
codepage::LoadedText ReadBackupFile(const QString& path);

} // namespace quillo::backup
