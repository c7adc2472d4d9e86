#include "backup/BackupLock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace quillo::backup {

namespace {

// A holder makes its lock file, locks it and then writes it: an empty file
// this young may be one being made.
constexpr qint64 kBeingMadeMs = 20;

// Takes away a lock file no process holds.  QLockFile already takes over the
// lock of an ended process of this machine; what remains is a live holder,
// another machine's lock, or no lock at all.  removeStaleLockFile() only
// removes a file no process holds locked, so a live holder keeps its lock.
bool TakeOver(QLockFile& lock, const QString& path) {
    const QFileInfo entry(path);
    if (entry.isDir() && !entry.isSymLink()) {
        // A folder in the lock's place: emptied folders go, others are put aside.
        return QDir().rmdir(path) ||
               QFile::rename(
                   path,
                   path + QStringLiteral(".broken-%1").arg(QDateTime::currentMSecsSinceEpoch()));
    }
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock.getLockInfo(&pid, &host, &app) && entry.size() == 0 &&
        qAbs(entry.lastModified().msecsTo(QDateTime::currentDateTime())) < kBeingMadeMs) {
        return false;
    }
    return lock.removeStaleLockFile();
}

} // namespace

bool AcquireBackupLock(QLockFile& lock, const QString& path, std::chrono::milliseconds wait) {
    // QLockFile's own wait doubles its pauses up to seconds; copies starting
    // together would starve.  Short even pauses keep the queue moving.
    const QDeadlineTimer deadline(wait);
    const bool mainThread = QCoreApplication::instance() != nullptr &&
                            QThread::currentThread() == QCoreApplication::instance()->thread();
    QDeadlineTimer slice(kLockSlice);
    for (;;) {
        if (lock.tryLock(0)) {
            return true;
        }
        if (lock.error() != QLockFile::LockFailedError) {
            return false;
        }
        if (TakeOver(lock, path)) {
            continue;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        if (mainThread && slice.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            slice.setRemainingTime(kLockSlice);
        }
        QThread::msleep(2);
    }
}

} // namespace quillo::backup
