#include "platform/Processes.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace quillo::platform {

namespace {

QString ExecutableNameOf(const QString& procEntry) {
    // symLinkTarget is empty when the link cannot be read.
    QString target = QFile::symLinkTarget(procEntry);
    if (target.isEmpty()) {
        return {};
    }
    // An executable replaced on disk (an upgrade) stays the same program.
    static const QString deleted = QStringLiteral(" (deleted)");
    if (target.endsWith(deleted)) {
        target.chop(deleted.size());
    }
    return QFileInfo(target).fileName();
}

} // namespace

qint64 CurrentProcessId() {
    return static_cast<qint64>(::getpid());
}

QString ProcessExecutableName(qint64 pid) {
    if (pid <= 0) {
        return {};
    }
    return ExecutableNameOf(QStringLiteral("/proc/%1/exe").arg(pid));
}

QString OwnExecutableName() {
    return ExecutableNameOf(QStringLiteral("/proc/self/exe"));
}

bool IsInstanceRunning(qint64 pid, const QString& programName) {
    if (programName.isEmpty()) {
        return false;
    }
    return ProcessExecutableName(pid) == programName;
}

bool IsInstanceRunning(qint64 pid) {
    return IsInstanceRunning(pid, OwnExecutableName());
}

} // namespace quillo::platform
