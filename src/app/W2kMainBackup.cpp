// The main window's crash-recovery backup and file-type registration.

#include "accessories/zkOverlayIcon.h"
#include "app/AppStrings.h"
#include "app/W2kMain.h"
#include "backup/BackupSlots.h"
#include "backup/BackupStrings.h"
#include "backup/FileTypeRegistration.h"
#include "editing/LfMemo.h"
#include "platform/DataFolder.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <utility>

namespace quillo::app {

void TWin2kAppForm::TakeBackupSlot() {
    // The file's orphaned slot may have been taken over already.
    if (FDocument.BackupNum() != 0) {
        return;
    }
    Guarded([this] {
        FDocument.BackupSlot().TakeFreeSlot(FDocument.FileName(), FDocument.CodePage());
    });
}

bool TWin2kAppForm::OfferBackupOf(const QString& path) {
    backup::TRecoveryResult r;
    try {
        r = FDocument.BackupSlot().RecoverFileOf(path, [this] {
            SetOverlay(2, backup::strings::RecoveryHint);
            return FPrompts.MessageDlg(this, backup::strings::RecoveryQuestion,
                                       TMsgDlgType::mtConfirmation,
                                       QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        });
    } catch (const std::exception& e) {
        // The file itself is opened all the same.
        FPrompts.ShowException(this, QString::fromUtf8(e.what()));
        return false;
    }
    if (!r.Recovered) {
        if (r.Asked) {
            SetOverlay(0, QString());
        }
        return false;
    }
    FDocument.SetFileName(r.FileName);
    FDocument.SetCodePage(r.CodePage);
    FDiskWatch.Settle();
    Memo1->LoadText(std::move(r.Text));
    // Modified, so that closing asks whether to save what came back.
    Memo1->SetModified(true);
    Memo1->SetReadOnly(false);
    SetTitle(QFileInfo(FDocument.FileName()).fileName() + strings::TitleSuffix);
    CodeExchange1->setEnabled(true);
    return true;
}

bool TWin2kAppForm::KeepWorkAtEnd(platform::TEndCause cause) {
    if (FClosed) {
        return true; // the close has kept and released everything
    }
    const bool ending = cause != platform::TEndCause::SessionSave;
    if (Memo1->Modified()) {
        try {
            // The slot stays this process's: once it has ended, the next
            // start finds it orphaned and offers the text.
            if (ending) {
                FDocument.WriteBackupBeforeEnd();
            } else {
                FDocument.WriteBackup();
            }
            return true;
        } catch (const std::exception& e) {
            if (cause == platform::TEndCause::Signal) {
                FPrompts.ShowException(
                    this, QString::fromUtf8(e.what()) +
                              QStringLiteral("\n編集中の文書を保存できないため、終了しません。"));
                return false;
            }
            return true; // nothing else can be done before the end
        }
    }
    if (ending) {
        // Nothing to keep: the slot goes as at a close, so that no stale
        // backup is offered later.
        try {
            ReleaseBackupSlot();
        } catch (...) {
        }
    }
    return true;
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
        FDiskWatch.Settle();
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
        // A live copy holding the bookkeeping leaves the timer running: the
        // text is in the file, its record comes with the next tick.
        if (Memo1->Modified() && FDocument.WriteBackup()) {
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
