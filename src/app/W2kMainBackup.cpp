// The main window's crash-recovery backup and file-type registration.

#include "accessories/zkOverlayIcon.h"
#include "app/AppStrings.h"
#include "app/W2kMain.h"
#include "backup/BackupSlots.h"
#include "backup/BackupStrings.h"
#include "backup/FileTypeRegistration.h"
#include "editing/LfMemo.h"
#include "platform/DataFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <utility>

namespace quillo::app {

void TWin2kAppForm::TakeBackupSlot() {
    Guarded([this] {
        FDocument.BackupSlot().TakeFreeSlot(FDocument.FileName(), FDocument.CodePage());
    });
}

bool TWin2kAppForm::RecoverBackup() {
    bool recovered = false;
    Guarded([&] {
        backup::TRecoveryResult r = FDocument.BackupSlot().Recover([this] {
            SetOverlay(2, backup::strings::RecoveryHint);
            return FPrompts.MessageDlg(this, backup::strings::RecoveryQuestion,
                                       TMsgDlgType::mtConfirmation,
                                       QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        });
        FDocument.SetFileName(r.FileName);
        FDocument.SetCodePage(r.CodePage);
        if (r.Recovered) {
            Memo1->LoadText(std::move(r.Text));
            Memo1->SetModified(true);
            // The caption alone: the application title stays that of a new document.
            setWindowTitle(QFileInfo(FDocument.FileName()).fileName() + strings::TitleSuffix);
            recovered = true;
        } else if (r.Asked) {
            SetOverlay(0, QString());
            setWindowTitle(strings::NewDocumentTitle);
        }
    });
    return recovered;
}

void TWin2kAppForm::RecordBackupSlot() {
    Guarded([this] { FDocument.BackupSlot().Record(FDocument.FileName(), FDocument.CodePage()); });
}

void TWin2kAppForm::ReleaseBackupSlot() {
    FDocument.BackupSlot().Release();
}

void TWin2kAppForm::Timer1Timer() {
    Guarded([this] {
        zkOverlayIcon1->SetImageIndex(2);
        platform::EnsureAppDataFolder();
        if (Memo1->Modified()) {
            FDocument.WriteBackup();
            Timer1->stop();
        }
        zkOverlayIcon1->SetImageIndex(1);
    });
}

void TWin2kAppForm::RegisterFileType(const QString& path) {
    Guarded([&] {
        backup::TFileTypeHost host;
        host.ExecutablePath = QCoreApplication::applicationFilePath();
        backup::RegisterFileType(path, FArgs, host);
    });
}

} // namespace quillo::app
