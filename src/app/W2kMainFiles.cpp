// The document commands of the main window: new, open, save, save as.

#include "accessories/zkOverlayIcon.h"
#include "app/AppStrings.h"
#include "app/CodeExchangeForm.h"
#include "app/W2kMain.h"
#include "backup/BackupSlots.h"
#include "codepage/DocumentCodes.h"
#include "codepage/codepage.h"
#include "document/DocumentFile.h"
#include "document/SafeFiles.h"
#include "editing/LfMemo.h"
#include "platform/FileNames.h"
#include "platform/FileStamp.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>

namespace quillo::app {
namespace {

const QString kAskSaveBeforeRead = QStringLiteral("読み込み前にファイルを保存しますか？");

} // namespace

bool TWin2kAppForm::SaveBeforeQuestion(const QString& question, bool setOverlay) {
    if (!Memo1->Modified()) {
        return true;
    }
    if (setOverlay) {
        SetOverlay(5, QStringLiteral("ファイルを保存しますか？"));
    }
    switch (FPrompts.MessageDlg(this, question, TMsgDlgType::mtConfirmation,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return SaveFile();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void TWin2kAppForm::FileNew1Execute() {
    if (!SaveBeforeQuestion(QStringLiteral("新規編集前にファイルを保存しますか？"), true)) {
        return;
    }
    FDocument.SetFileName(strings::Untitled);
    FDiskWatch.Settle();
    FOpenDialogFileName.clear();
    Memo1->LoadText(QString());
    Memo1->SetModified(false);
    CodeExchange1->setEnabled(false);
    SetOverlay(0, QString());
    Memo1->SetSelStart(0);
    Memo1->ScrollCaret();
    FileSave1->setEnabled(false);
    SetTitle(strings::NewDocumentTitle);
    FCursorHistory.Clear();
}

void TWin2kAppForm::AfterSuccessfulRead(const QString& path, int code, qsizetype badBytes,
                                        int overlayIndex) {
    FDocument.SetFileName(path);
    FDocument.SetCodePage(code);
    FDiskWatch.Settle();
    Memo1->setFocus();
    Memo1->SetModified(false);
    Memo1->SetReadOnly(false);
    SetTitle(QFileInfo(FDocument.FileName()).fileName() + strings::TitleSuffix);
    zkOverlayIcon1->SetImageIndex(overlayIndex);
    CodeExchange1->setEnabled(true);
    AddFileHistory(FDocument.FileName());
    if (FDocument.BackupNum() != 0) {
        // Other copies opening the file see that this one holds it.
        RecordBackupSlot();
    }
    if (badBytes > 0) {
        ReportBadBytes(badBytes);
    }
    TellOtherHolder(path);
}

void TWin2kAppForm::TellOtherHolder(const QString& path) {
    if (const qint64 pid = FDocument.BackupSlot().LiveHolderOf(path); pid != 0) {
        FPrompts.MessageDlg(this, strings::HeldByOtherCopy.arg(pid), TMsgDlgType::mtWarning,
                            QMessageBox::Ok);
    }
}

void TWin2kAppForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        // Another program may have written the file while we were away.
        FDiskWatch.Check();
    }
}

void TWin2kAppForm::FileChangedOutside(bool removed) {
    Guarded([&] {
        if (removed) {
            FPrompts.MessageDlg(
                this,
                strings::FileRemovedOutside.arg(QDir::toNativeSeparators(FDocument.FileName())),
                TMsgDlgType::mtWarning, QMessageBox::Ok);
            // The text here is now the only copy: closing asks to save it.
            Memo1->SetModified(true);
            FileSave1->setEnabled(true);
            return;
        }
        // A modified document is asked about when it is saved.
        if (Memo1->Modified() ||
            FPrompts.MessageDlg(this, strings::AskRereadChanged, TMsgDlgType::mtConfirmation,
                                QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
            return;
        }
        const int code = FDocument.CodePage() == 0 ? codepage::kDetectCode : FDocument.CodePage();
        const document::TLoadResult r =
            document::ReloadTextFile(FDocument, FDocument.FileName(), code, Memo1->Selection());
        FDiskWatch.Settle();
        Memo1->SetModified(false);
        FileSave1->setEnabled(false);
        if (r.BadBytes > 0) {
            ReportBadBytes(r.BadBytes);
        }
    });
}

bool TWin2kAppForm::ConfirmWriteOverChange() {
    // A file that is gone is simply written again: nothing of anyone's is lost.
    return !FDiskWatch.ChangedOnDisk() || !platform::StampOf(FDocument.FileName()).Exists ||
           FPrompts.MessageDlg(this, strings::AskWriteOverChange, TMsgDlgType::mtConfirmation,
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TWin2kAppForm::ReportBadBytes(qsizetype count) {
    FPrompts.MessageDlg(this,
                        QStringLiteral("このファイルには、この文字コードで読めないバイトが %1 "
                                       "個あります。保存するとそのまま書き戻されます。")
                            .arg(count),
                        TMsgDlgType::mtWarning, QMessageBox::Ok);
}

void TWin2kAppForm::FileNewWindowExecute() {
    // The result is not looked at: a copy that fails to start says nothing.
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("-q")});
}

void TWin2kAppForm::FileOpen1Execute() {
    Guarded([this] {
        if (!SaveBeforeQuestion(kAskSaveBeforeRead, true)) {
            return;
        }
        SetOverlay(5, QStringLiteral("ファイルを選択してください"));
        TFileDialogRequest request;
        request.Filters = codepage::OpenFilterList();
        request.FilterIndex = FOpenDialogFilterIndex;
        request.FileName = FOpenDialogFileName;
        const TFileDialogAnswer answer = FPrompts.OpenFileDialog(this, request);
        if (answer.Accepted && !answer.FileName.isEmpty()) {
            FOpenDialogFilterIndex = std::clamp(answer.FilterIndex, 1, int(request.Filters.size()));
            FOpenDialogFileName = answer.FileName;
            SetOverlay(1, QStringLiteral("ファイルを開いています"));
            const QString path = QFileInfo(answer.FileName).absoluteFilePath();
            if (!OfferBackupOf(path)) {
                const document::TLoadResult r = document::LoadTextFile(
                    FDocument, path, codepage::OpenListCode(FOpenDialogFilterIndex - 1));
                AfterSuccessfulRead(path, r.CodePage, r.BadBytes, 1);
            }
        }
        SetOverlay(-1, QString());
        Memo1->SetSelStart(0);
        Memo1->ScrollCaret();
        FCursorHistory.Clear();
        FileSave1->setEnabled(false);
    });
}

void TWin2kAppForm::LfFileHistory1ItemClick(const QString& path) {
    Guarded([&] {
        if (!SaveBeforeQuestion(kAskSaveBeforeRead, false)) {
            return;
        }
        const QFileInfo info(path);
        if (info.exists() && !OfferBackupOf(info.absoluteFilePath())) {
            const document::TLoadResult r =
                document::LoadTextFile(FDocument, info.absoluteFilePath(),
                                       codepage::OpenListCode(FOpenDialogFilterIndex - 1));
            AfterSuccessfulRead(info.absoluteFilePath(), r.CodePage, r.BadBytes, 1);
        }
        Memo1->SetSelStart(0);
        Memo1->ScrollCaret();
        FileSave1->setEnabled(false);
    });
}

void TWin2kAppForm::WMDropFiles(const QStringList& paths) {
    Guarded([&] {
        if (paths.isEmpty() || !SaveBeforeQuestion(kAskSaveBeforeRead, true)) {
            return;
        }
        const QString path = QFileInfo(paths.constFirst()).absoluteFilePath();
        SetOverlay(1, QStringLiteral("ファイルを開いています。"));
        if (!OfferBackupOf(path)) {
            const document::TLoadResult r =
                document::LoadTextFile(FDocument, path, FDocument.CodePage());
            AfterSuccessfulRead(path, r.CodePage, r.BadBytes, 0);
        }
        Memo1->SetSelStart(0);
        Memo1->ScrollCaret();
        FCursorHistory.Clear();
        FileSave1->setEnabled(false);
    });
}

void TWin2kAppForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TWin2kAppForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    // Asked after the drop has finished, as the shell's notice arrives.
    QMetaObject::invokeMethod(
        this, [this, paths] { WMDropFiles(paths); }, Qt::QueuedConnection);
}

void TWin2kAppForm::CodeExchange1Execute() {
    Guarded([this] {
        if (Memo1->Modified()) {
            SetOverlay(5, QStringLiteral("ファイルを保存しますか？"));
            const auto answer =
                FPrompts.MessageDlg(this, QStringLiteral("再読み込み前にファイルを保存しますか？"),
                                    TMsgDlgType::mtConfirmation,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            if (answer == QMessageBox::Yes) {
                if (!SaveFileAs()) {
                    return;
                }
            } else if (answer != QMessageBox::No) {
                return;
            }
        }
        TCodeExchangeDlg dialog(this);
        if (FPrompts.ExecDialog(dialog) != QDialog::Accepted) {
            return;
        }
        // The file is decoded straight from the chosen code, so no character
        // is lost on the way; a byte-order mark still wins.
        const int index = dialog.ComboBox1->currentIndex();
        const int requested = codepage::OpenListCode(index);
        const document::TLoadResult r = document::ReloadTextFile(FDocument, FDocument.FileName(),
                                                                 requested, Memo1->Selection());
        if (index == 0) {
            FDocument.SetCodePage(r.CodePage);
        }
        FDiskWatch.Settle();
        Memo1->SetModified(false);
        if (r.BadBytes > 0) {
            ReportBadBytes(r.BadBytes);
        }
    });
}

bool TWin2kAppForm::OpenCommandLineFile(const QString& path) {
    // Asked by the name's bytes: a name in no UTF-8 exists too.
    if (path.isEmpty() || !platform::PathExists(path) || platform::IsFolder(path)) {
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    bool read = false;
    Guarded([&] {
        SetOverlay(1, QString());
        if (OfferBackupOf(absolute)) {
            read = true;
            return;
        }
        // A file handed over by the desktop is read with detection: the code
        // the document has at start says nothing about the file.
        const document::TLoadResult r =
            document::LoadTextFile(FDocument, absolute, codepage::kDetectCode);
        AfterSuccessfulRead(absolute, r.CodePage, r.BadBytes, 1);
        read = true;
    });
    return read;
}

bool TWin2kAppForm::ConfirmWriteOver(const QString& path) {
    // Root could write it without a word; the user decides.
    return !document::IsReadOnlyFile(path) ||
           FPrompts.MessageDlg(this, strings::AskWriteReadOnly.arg(QDir::toNativeSeparators(path)),
                               TMsgDlgType::mtConfirmation,
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool TWin2kAppForm::SaveFile() {
    if (FDocument.IsUntitled() || !codepage::HasDocumentWriter(FDocument.CodePage())) {
        // A code without a writer is saved through the save-as dialog, so that
        // the user picks a code that can be written.
        return SaveFileAs();
    }
    SetOverlay(3, QStringLiteral("保存中です"));
    if (!ConfirmWriteOverChange() || !ConfirmWriteOver(FDocument.FileName())) {
        return false;
    }
    document::EncodeDocument(FDocument, FDocument.FileName(), FDocument.CodePage(), true);
    FDiskWatch.Settle();
    CodeExchange1->setEnabled(false);
    zkOverlayIcon1->SetImageIndex(1);
    Memo1->SetModified(false);
    AddFileHistory(FDocument.FileName());
    FileSave1->setEnabled(false);
    return true;
}

bool TWin2kAppForm::SaveFileAs() {
    TFileDialogRequest request;
    request.Filters = codepage::SaveFilterList();
    request.DefaultSuffix = QStringLiteral("txt");
    request.FileName = FDocument.FileName();
    const int writer = codepage::HasDocumentWriter(FDocument.CodePage())
                           ? FDocument.CodePage()
                           : codepage::SuggestedWriterCode(FDocument.CodePage());
    if (const int index = codepage::SaveListIndexOf(writer); index >= 0) {
        FSaveDialogFilterIndex = index + 1;
    }
    request.FilterIndex = FSaveDialogFilterIndex;
    SetOverlay(5, QStringLiteral("ファイルを保存しますか？"));
    const TFileDialogAnswer answer = FPrompts.SaveFileDialog(this, request);
    if (!answer.Accepted || answer.FileName.isEmpty()) {
        return false;
    }
    FSaveDialogFilterIndex =
        std::clamp(answer.FilterIndex, 1, int(codepage::SaveFilterList().size()));
    SetOverlay(3, QStringLiteral("保存中です"));
    if (QFileInfo::exists(answer.FileName)) {
        const auto reply = FPrompts.MessageDlg(
            this,
            QStringLiteral("OK を押すと %1 を上書きします。")
                .arg(QDir::toNativeSeparators(answer.FileName)),
            TMsgDlgType::mtConfirmation, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (reply != QMessageBox::Yes) {
            return false;
        }
    }
    if (!ConfirmWriteOver(answer.FileName)) {
        return false;
    }
    const int code = codepage::SaveListCode(FSaveDialogFilterIndex - 1);
    document::EncodeDocument(FDocument, answer.FileName, code, true);
    FDocument.SetCodePage(code);
    FDocument.SetFileName(answer.FileName);
    FDiskWatch.Settle();
    if (FDocument.BackupNum() != 0) {
        RecordBackupSlot();
    }
    SetTitle(QFileInfo(FDocument.FileName()).fileName() + strings::TitleSuffix);
    Memo1->SetModified(false);
    zkOverlayIcon1->SetImageIndex(-1);
    CodeExchange1->setEnabled(false);
    FileSave1->setEnabled(false);
    return true;
}

} // namespace quillo::app
