#pragma once

// The backup slots that running copies of the program share: settings group
// "Backup" with BackUpFile<n>, BackUpCode<n> and BackUpPid<n>, and the file
// BackupFile<n>.lftmp in the data folder.  A slot is free when a value is
// missing, held when its process is a running copy, orphaned otherwise.
//
// Every decision is taken under a lock file in the data folder, on settings
// read afresh, and the slot chosen is written before the lock goes: two
// copies starting together never get the same slot.  Slots 1 to 20 are
// searched first; when all are held a window takes the first free number
// above 20, which a later recovery searches too.

#include "backup/BackupLock.h"
#include "codepage/codepage.h"

#include <QSettings>
#include <QString>
#include <QStringView>

#include <chrono>
#include <functional>
#include <memory>

namespace quillo::backup {

inline constexpr int kSlotCount = 20;

enum class TSlotState { Free, Held, Orphaned };

// Where the bookkeeping lives and how processes are told apart; tests
// substitute folders, settings and a process check.
struct TBackupEnvironment {
    QString DataFolder;
    std::function<std::unique_ptr<QSettings>()> OpenSettings;
    std::function<bool(qint64 pid)> IsInstanceRunning;
    qint64 OwnPid = 0;

    // The program's own: AppDataFolder, OpenSettings, /proc and getpid.
    static TBackupEnvironment System();
};

// What the recovery found and what the window takes from it.
struct TRecoveryResult {
    bool OrphanTaken = false; // an orphaned slot was taken over
    bool Asked = false;       // its backup existed and the question was asked
    bool Recovered = false;   // the answer was yes: Text holds the backup
    QString FileName;         // FFileName: the recorded name when recovered, else untitled
    int CodePage = codepage::kShiftJis; // CodePage: the recorded code when an orphan was taken
    QString Text;
    qsizetype BadBytes = 0;
};

class TBackupSlots {
public:
    explicit TBackupSlots(TBackupEnvironment environment = TBackupEnvironment::System());

    int BackupNum() const { return FBackupNum; } // 0 until a slot is held
    QString BackupFile() const { return FBackupFile; }
    QString BackupFileOf(int slot) const;

    // The state of a slot as the settings stand now (no lock; for display and tests).
    TSlotState SlotState(int slot) const;

    // Start with a file: takes the first free slot, orphans counting as taken,
    // and records fileName and codePage in it at once.
    void TakeFreeSlot(const QString& fileName, int codePage);

    // Start without a file: takes over the first orphaned slot met before a
    // free one is needed, or takes the first free slot.  When the orphan's
    // backup exists, askRecover is called (outside the lock) to ask the
    // question; true reads the backup.  Throws when the backup cannot be read;
    // the slot is ours then all the same.
    TRecoveryResult Recover(const std::function<bool()>& askRecover);

    // Opening a file: when an orphaned slot records the same file and holds a
    // backup, the window takes that slot over (its own slot and backup go)
    // and askRecover is asked (outside the lock); yes reads the backup into
    // the result.  With no such orphan nothing changes (OrphanTaken false).
    // FileName is `path` unless the backup was read.
    TRecoveryResult RecoverFileOf(const QString& path, const std::function<bool()>& askRecover);

    // The process id of another running copy whose slot records the same
    // file as `path`, or 0 when none does (no lock; for telling the user).
    qint64 LiveHolderOf(const QString& path) const;
    // Writes the window's file name, code and this process's id to its slot.
    void Record(const QString& fileName, int codePage);

    // The timer's work: records the slot and replaces the backup file
    // atomically.  A window that has lost its slot to another copy, or never
    // had one, moves to a free one first.  When a live copy holds the lock
    // past `lockWait`, a window that holds a slot writes the file all the
    // same and leaves the bookkeeping for later: the result is false then.
    bool WriteBackup(QStringView text, const QString& fileName, int codePage,
                     std::chrono::milliseconds lockWait = kTimerLockWait);

    // Normal close: the slot's values and its backup file go, unless another
    // copy has taken the slot over meanwhile.
    void Release();

private:
    class TLockedSettings;
    // The orphan taken over has recorded `fileName` and `codePage`.
    TRecoveryResult AskRecovery(const QString& fileName, int codePage,
                                const std::function<bool()>& askRecover) const;
    bool OwnsSlot(const QSettings& settings, int slot) const;
    static void RemoveSlot(QSettings& settings, int slot);
    int FirstFreeSlot(const QSettings& settings) const;
    void WriteSlot(QSettings& settings, int slot, const QString& fileName, int codePage) const;
    void Hold(int slot);

    TBackupEnvironment FEnv;
    int FBackupNum = 0;
    QString FBackupFile;
};

} // namespace quillo::backup
