#pragma once

// Running processes as the backup bookkeeping sees them: by id and by the file
// name of their executable (/proc/<pid>/exe here).

#include <QString>

namespace quillo::platform {

qint64 CurrentProcessId();

// File name, without folder, of the executable process pid runs; empty when the
// process is gone, a zombie, or not ours to look at.
QString ProcessExecutableName(qint64 pid);

// The file name of this program's own executable.
QString OwnExecutableName();

// True when pid is a running process whose executable file name equals
// programName exactly, letter case included.
bool IsInstanceRunning(qint64 pid, const QString& programName);

// The same against this program's own name: is pid a running copy of us?
bool IsInstanceRunning(qint64 pid);

} // namespace quillo::platform
