#include "backup/BackupSlots.h"

#include "backup/BackupFile.h"
#include "backup/BackupLock.h"
#include "backup/BackupStrings.h"
#include "platform/DataFolder.h"
#include "platform/Processes.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

#include <set>

namespace quillo::backup {

namespace {

const QString kGroup = QStringLiteral("Backup");

QString FileKey(int n) {
    return QStringLiteral("BackUpFile%1").arg(n);
}
QString CodeKey(int n) {
    return QStringLiteral("BackUpCode%1").arg(n);
}
QString PidKey(int n) {
    return QStringLiteral("BackUpPid%1").arg(n);
}

struct TSlotValues {
    QString FileName;
    int CodePage = 0;
    qint64 Pid = 0;
};

// All three values, or nothing: a slot with one missing is free.
std::optional<TSlotValues> ReadSlot(const QSettings& settings, int n) {
    const auto file = platform::ReadString(settings, FileKey(n));
    const auto code = platform::ReadInteger(settings, CodeKey(n));
    const auto pid = platform::ReadInteger(settings, PidKey(n));
    if (!file || !code || !pid) {
        return std::nullopt;
    }
    return TSlotValues{*file, static_cast<int>(*code), *pid};
}

// Slots 1 to 20 and every number the group mentions, in order.
std::set<int> SearchNumbers(const QSettings& settings) {
    static const QRegularExpression key(QStringLiteral("^BackUp(?:File|Code|Pid)([0-9]{1,9})$"));
    std::set<int> numbers;
    for (int n = 1; n <= kSlotCount; ++n) {
        numbers.insert(n);
    }
    for (const QString& name : settings.childKeys()) {
        const auto m = key.match(name);
        if (m.hasMatch()) {
            const int n = m.captured(1).toInt();
            if (n > 0) {
                numbers.insert(n);
            }
        }
    }
    return numbers;
}

// The same file: the same name, or the same file reached by two names.
bool SameFile(const QString& recorded, const QString& path) {
    if (recorded == path) {
        return true;
    }
    const QString canonical = QFileInfo(recorded).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(path).canonicalFilePath();
}

} // namespace

TBackupEnvironment TBackupEnvironment::System() {
    TBackupEnvironment env;
    env.DataFolder = platform::AppDataFolder();
    env.OpenSettings = [] {
        return platform::OpenSettings();
    };
    env.IsInstanceRunning = [own = platform::OwnExecutableName()](qint64 pid) {
        return platform::IsInstanceRunning(pid, own);
    };
    env.OwnPid = platform::CurrentProcessId();
    return env;
}

// The bookkeeping, read afresh under the lock; Commit writes it back before
// the lock goes.
class TBackupSlots::TLockedSettings {
public:
    explicit TLockedSettings(const TBackupEnvironment& env,
                             std::chrono::milliseconds wait = kLockWait)
        : FLock(LockPath(env)) {
        if (!AcquireBackupLock(FLock, LockPath(env), wait)) {
            const QString message = QStringLiteral("バックアップ情報をロックできません。(%1)")
                                        .arg(QDir::toNativeSeparators(LockPath(env)));
            if (FLock.error() == QLockFile::LockFailedError) {
                throw EBackupBusy(message.toStdString());
            }
            throw EBackupError(message.toStdString());
        }
        FSettings = env.OpenSettings();
        FSettings->sync(); // whatever other copies wrote until now
        FSettings->beginGroup(kGroup);
    }

    QSettings& operator*() { return *FSettings; }
    QSettings* operator->() { return FSettings.get(); }

    void Commit() {
        FSettings->endGroup();
        FSettings->sync();
        if (FSettings->status() != QSettings::NoError) {
            throw EBackupError(QStringLiteral("バックアップ情報を書き込めません。(%1)")
                                   .arg(QDir::toNativeSeparators(FSettings->fileName()))
                                   .toStdString());
        }
        FSettings->beginGroup(kGroup);
    }

private:
    static QString LockPath(const TBackupEnvironment& env) {
        platform::CreateFolderLevels(env.DataFolder);
        return env.DataFolder + QStringLiteral("/Backup.lock");
    }

    QLockFile FLock;
    std::unique_ptr<QSettings> FSettings;
};

TBackupSlots::TBackupSlots(TBackupEnvironment environment) : FEnv(std::move(environment)) {}

QString TBackupSlots::BackupFileOf(int slot) const {
    return FEnv.DataFolder + QStringLiteral("/BackupFile%1.lftmp").arg(slot);
}

TSlotState TBackupSlots::SlotState(int slot) const {
    const auto settings = FEnv.OpenSettings();
    settings->beginGroup(kGroup);
    const auto values = ReadSlot(*settings, slot);
    if (!values) {
        return TSlotState::Free;
    }
    return FEnv.IsInstanceRunning(values->Pid) ? TSlotState::Held : TSlotState::Orphaned;
}

qint64 TBackupSlots::LiveHolderOf(const QString& path) const {
    const auto settings = FEnv.OpenSettings();
    settings->beginGroup(kGroup);
    for (const int n : SearchNumbers(*settings)) {
        const auto values = ReadSlot(*settings, n);
        if (values && values->Pid != FEnv.OwnPid && SameFile(values->FileName, path) &&
            FEnv.IsInstanceRunning(values->Pid)) {
            return values->Pid;
        }
    }
    return 0;
}

int TBackupSlots::FirstFreeSlot(const QSettings& settings) const {
    for (const int n : SearchNumbers(settings)) {
        if (!ReadSlot(settings, n)) {
            return n;
        }
    }
    int n = kSlotCount + 1;
    while (ReadSlot(settings, n)) {
        ++n;
    }
    return n;
}

void TBackupSlots::WriteSlot(QSettings& settings, int slot, const QString& fileName,
                             int codePage) const {
    settings.setValue(FileKey(slot), fileName);
    settings.setValue(CodeKey(slot), codePage);
    settings.setValue(PidKey(slot), FEnv.OwnPid);
}

bool TBackupSlots::OwnsSlot(const QSettings& settings, int slot) const {
    const auto pid = platform::ReadInteger(settings, PidKey(slot));
    return !pid || *pid == FEnv.OwnPid;
}

void TBackupSlots::RemoveSlot(QSettings& settings, int slot) {
    settings.remove(FileKey(slot));
    settings.remove(CodeKey(slot));
    settings.remove(PidKey(slot));
}

void TBackupSlots::Hold(int slot) {
    FBackupNum = slot;
    FBackupFile = BackupFileOf(slot);
}

void TBackupSlots::TakeFreeSlot(const QString& fileName, int codePage) {
    TLockedSettings settings(FEnv);
    const int slot = FirstFreeSlot(*settings);
    WriteSlot(*settings, slot, fileName, codePage);
    settings.Commit();
    Hold(slot);
}

TRecoveryResult TBackupSlots::Recover(const std::function<bool()>& askRecover) {
    TRecoveryResult result;
    result.FileName = strings::Untitled;
    std::optional<TSlotValues> orphan;
    {
        TLockedSettings settings(FEnv);
        int firstFree = 0;
        int orphanSlot = 0;
        for (const int n : SearchNumbers(*settings)) {
            const auto values = ReadSlot(*settings, n);
            if (!values) {
                if (firstFree == 0) {
                    firstFree = n;
                }
            } else if (!FEnv.IsInstanceRunning(values->Pid)) {
                orphan = values;
                orphanSlot = n;
                break;
            }
        }
        if (orphan) {
            // Ours from now on, before anyone else can look.
            settings->setValue(PidKey(orphanSlot), FEnv.OwnPid);
            settings.Commit();
            Hold(orphanSlot);
        } else {
            const int slot = firstFree != 0 ? firstFree : FirstFreeSlot(*settings);
            WriteSlot(*settings, slot, strings::Untitled, codepage::kShiftJis);
            settings.Commit();
            Hold(slot);
            return result;
        }
    }
    return AskRecovery(orphan->FileName, orphan->CodePage, askRecover);
}

TRecoveryResult TBackupSlots::AskRecovery(const QString& fileName, int codePage,
                                          const std::function<bool()>& askRecover) const {
    TRecoveryResult result;
    result.FileName = strings::Untitled;
    result.OrphanTaken = true;
    result.CodePage = codePage;
    // A backup that is no file of ours (a link to a device, a huge file) is
    // passed over as if it were gone; the next backup replaces it.
    if (!IsReadableBackup(FBackupFile)) {
        return result;
    }
    result.Asked = true;
    if (askRecover && askRecover()) {
        const codepage::LoadedText loaded = ReadBackupFile(FBackupFile);
        result.Recovered = true;
        result.FileName = fileName;
        result.Text = loaded.text;
        result.BadBytes = loaded.badBytes;
    }
    return result;
}

TRecoveryResult TBackupSlots::RecoverFileOf(const QString& path,
                                            const std::function<bool()>& askRecover) {
    std::optional<TSlotValues> orphan;
    {
        TLockedSettings settings(FEnv);
        int orphanSlot = 0;
        for (const int n : SearchNumbers(*settings)) {
            const auto values = ReadSlot(*settings, n);
            if (n != FBackupNum && values && SameFile(values->FileName, path) &&
                IsReadableBackup(BackupFileOf(n)) && !FEnv.IsInstanceRunning(values->Pid)) {
                orphan = values;
                orphanSlot = n;
                break;
            }
        }
        if (!orphan) {
            return {};
        }
        // The window moves to the orphan's slot; its own goes as at a close.
        settings->setValue(PidKey(orphanSlot), FEnv.OwnPid);
        const bool ownFile = FBackupNum != 0 && OwnsSlot(*settings, FBackupNum);
        if (ownFile) {
            RemoveSlot(*settings, FBackupNum);
        }
        settings.Commit();
        if (ownFile) {
            QFile::remove(FBackupFile);
        }
        Hold(orphanSlot);
    }
    TRecoveryResult result = AskRecovery(orphan->FileName, orphan->CodePage, askRecover);
    if (!result.Recovered) {
        result.FileName = path;
    }
    return result;
}

void TBackupSlots::Record(const QString& fileName, int codePage) {
    TLockedSettings settings(FEnv);
    const auto values = ReadSlot(*settings, FBackupNum);
    if (FBackupNum == 0 || (values && values->Pid != FEnv.OwnPid)) {
        Hold(FirstFreeSlot(*settings));
    }
    WriteSlot(*settings, FBackupNum, fileName, codePage);
    settings.Commit();
}

bool TBackupSlots::WriteBackup(QStringView text, const QString& fileName, int codePage,
                               std::chrono::milliseconds lockWait) {
    bool recorded = false;
    try {
        TLockedSettings settings(FEnv, lockWait);
        const auto values = ReadSlot(*settings, FBackupNum);
        if (FBackupNum == 0 || (values && values->Pid != FEnv.OwnPid)) {
            Hold(FirstFreeSlot(*settings));
        }
        WriteSlot(*settings, FBackupNum, fileName, codePage);
        settings.Commit();
        recorded = true;
    } catch (const EBackupBusy&) {
        // A live copy holds the lock.  The slot held since the start is ours
        // all the same: the text goes to its file now, the bookkeeping later.
        if (FBackupNum == 0) {
            throw;
        }
    }
    // Outside the lock: a long text must not hold up the other copies.
    WriteBackupFile(FBackupFile, text);
    return recorded;
}

void TBackupSlots::Release() {
    if (FBackupNum == 0) {
        return;
    }
    TLockedSettings settings(FEnv);
    if (OwnsSlot(*settings, FBackupNum)) {
        RemoveSlot(*settings, FBackupNum);
        settings.Commit();
        if (QFileInfo::exists(FBackupFile) && !QFile::remove(FBackupFile)) {
            throw EBackupError(QStringLiteral("ファイル %1 を削除できません。")
                                   .arg(QDir::toNativeSeparators(FBackupFile))
                                   .toStdString());
        }
    }
    FBackupNum = 0;
    FBackupFile.clear();
}

} // namespace quillo::backup
