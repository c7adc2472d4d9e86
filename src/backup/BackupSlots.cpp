#include "backup/BackupSlots.h"

#include "backup/BackupFile.h"
#include "backup/BackupStrings.h"
#include "platform/DataFolder.h"
#include "platform/Processes.h"
#include "platform/SettingsStore.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QThread>

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
    explicit TLockedSettings(const TBackupEnvironment& env) : FLock(LockPath(env)) {
        if (!Acquire(FLock)) {
            throw EBackupError(QStringLiteral("バックアップ情報をロックできません。(%1)")
                                   .arg(QDir::toNativeSeparators(LockPath(env)))
                                   .toStdString());
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
    // QLockFile's own wait doubles its pauses up to seconds; copies starting
    // together would starve.  Short even pauses keep the queue moving.
    static bool Acquire(QLockFile& lock) {
        QDeadlineTimer deadline(30000);
        for (;;) {
            if (lock.tryLock(0)) {
                return true;
            }
            if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired()) {
                return false;
            }
            QThread::msleep(2);
        }
    }

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
    result.OrphanTaken = true;
    result.CodePage = orphan->CodePage;
    if (!QFileInfo::exists(FBackupFile)) {
        return result;
    }
    result.Asked = true;
    if (askRecover && askRecover()) {
        const codepage::LoadedText loaded = ReadBackupFile(FBackupFile);
        result.Recovered = true;
        result.FileName = orphan->FileName;
        result.Text = loaded.text;
        result.BadBytes = loaded.badBytes;
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

void TBackupSlots::WriteBackup(QStringView text, const QString& fileName, int codePage) {
    TLockedSettings settings(FEnv);
    const auto values = ReadSlot(*settings, FBackupNum);
    if (FBackupNum == 0 || (values && values->Pid != FEnv.OwnPid)) {
        Hold(FirstFreeSlot(*settings));
    }
    WriteBackupFile(FBackupFile, text);
    WriteSlot(*settings, FBackupNum, fileName, codePage);
    settings.Commit();
}

void TBackupSlots::Release() {
    if (FBackupNum == 0) {
        return;
    }
    TLockedSettings settings(FEnv);
    const auto pid = platform::ReadInteger(*settings, PidKey(FBackupNum));
    if (!pid || *pid == FEnv.OwnPid) {
        settings->remove(FileKey(FBackupNum));
        settings->remove(CodeKey(FBackupNum));
        settings->remove(PidKey(FBackupNum));
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
