// The document commands of the main window: new, open, save, save as.

#include "app/AppStrings.h"
#include "app/DocumentIO.h"
#include "app/W2kMain.h"
#include "app/codepage/codepage.h"
#include "editing/LfMemo.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace quillo::app {
namespace {

const QStringList kSaveFilters = {
    QStringLiteral("すべてのファイル - ShiftJIS(*.*)"), QStringLiteral("すべてのファイル - EUC-JP(*.*)"),
    QStringLiteral("すべてのファイル - UTF-8(*.*)"), QStringLiteral("すべてのファイル - Unicode(*.*)"),
    QStringLiteral("すべてのファイル - Unicode Big-Endian(*.*)")};
constexpr int kSaveCodes[] = {932, 51932, 65001, 1200, 1201};

int SaveFilterIndexOf(int code) {
    for (int i = 0; i < 5; ++i) {
        if (kSaveCodes[i] == code) {
            return i + 1;
        }
    }
    return 0;
}

} // namespace

bool TWin2kAppForm::SaveBeforeQuestion(const QString& question, bool setOverlay) {
    if (!Memo1->Modified()) {
        return true;
    }
    if (setOverlay) {
        zkOverlayIcon1.Set(5, QStringLiteral("ファイルを保存しますか？"));
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
    FFileName = strings::Untitled;
    OpenDialogFileName.clear();
    Memo1->LoadText(QString());
    Memo1->SetModified(false);
    CodeExchange1->setEnabled(false);
    zkOverlayIcon1.Set(0, QString());
    Memo1->SetSelStart(0);
    Memo1->ScrollCaret();
    FileSave1->setEnabled(false);
    SetTitle(strings::NewDocumentTitle);
    ClearCursorHistory();
}

void TWin2kAppForm::AfterSuccessfulRead(const QString& path, int code, qsizetype badBytes,
                                        int overlayIndex) {
    FFileName = path;
    CodePage = code;
    Memo1->setFocus();
    Memo1->SetModified(false);
    Memo1->SetReadOnly(false);
    SetTitle(QFileInfo(FFileName).fileName() + strings::TitleSuffix);
    zkOverlayIcon1.ImageIndex = overlayIndex;
    CodeExchange1->setEnabled(true);
    AddFileHistory(FFileName);
    if (badBytes > 0) {
        FPrompts.MessageDlg(this,
                            QStringLiteral("このファイルには、選んだ文字コードで読めないバイトが %1 "
                                           "個あります。そのまま残して表示しています。")
                                .arg(badBytes),
                            TMsgDlgType::mtWarning, QMessageBox::Ok);
    }
}

bool TWin2kAppForm::OpenCommandLineFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        return false;
    }
    bool read = false;
    Guarded([&] {
        zkOverlayIcon1.Set(1, QString());
        const TLoadResult r = LoadTextFile(*Memo1, info.absoluteFilePath(), CodePage);
        AfterSuccessfulRead(info.absoluteFilePath(), r.CodePage, r.BadBytes, 1);
        read = true;
    });
    return read;
}

bool TWin2kAppForm::SaveFile() {
    if (IsUntitled() || !codepage::HasDocumentWriter(CodePage)) {
        // A code without a writer is saved through the save-as dialog, so that
        // the user picks a code that can be written.
        return SaveFileAs();
    }
    zkOverlayIcon1.Set(3, QStringLiteral("保存中です"));
    EncodeDocument(*Memo1, FFileName, CodePage);
    CodeExchange1->setEnabled(false);
    zkOverlayIcon1.ImageIndex = 1;
    Memo1->SetModified(false);
    AddFileHistory(FFileName);
    FileSave1->setEnabled(false);
    return true;
}

bool TWin2kAppForm::SaveFileAs() {
    TFileDialogRequest request;
    request.Filters = kSaveFilters;
    request.DefaultSuffix = QStringLiteral("txt");
    request.FileName = FFileName;
    const int writer = codepage::HasDocumentWriter(CodePage)
                           ? CodePage
                           : codepage::SuggestedWriterCode(CodePage);
    if (const int index = SaveFilterIndexOf(writer == 0 ? 932 : writer); index > 0) {
        SaveDialogFilterIndex = index;
    }
    request.FilterIndex = SaveDialogFilterIndex;
    zkOverlayIcon1.Set(5, QStringLiteral("ファイルを保存しますか？"));
    const TFileDialogAnswer answer = FPrompts.SaveFileDialog(this, request);
    if (!answer.Accepted || answer.FileName.isEmpty()) {
        return false;
    }
    SaveDialogFilterIndex = std::clamp(answer.FilterIndex, 1, 5);
    zkOverlayIcon1.Set(3, QStringLiteral("保存中です"));
    if (QFileInfo::exists(answer.FileName)) {
        const auto reply =
            FPrompts.MessageDlg(this,
                                QStringLiteral("OK を押すと %1 を上書きします。")
                                    .arg(QDir::toNativeSeparators(answer.FileName)),
                                TMsgDlgType::mtConfirmation,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (reply != QMessageBox::Yes) {
            return false;
        }
    }
    const int code = kSaveCodes[SaveDialogFilterIndex - 1];
    EncodeDocument(*Memo1, answer.FileName, code);
    CodePage = code;
    FFileName = answer.FileName;
    SetTitle(QFileInfo(FFileName).fileName() + strings::TitleSuffix);
    Memo1->SetModified(false);
    zkOverlayIcon1.ImageIndex = -1;
    CodeExchange1->setEnabled(false);
    FileSave1->setEnabled(false);
    return true;
}

} // namespace quillo::app
