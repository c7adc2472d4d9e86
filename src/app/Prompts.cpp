// The real prompts: message boxes, file dialogs and the print dialogs shown to the user.

#include "app/Prompts.h"

#include "app/AppStrings.h"
#include "printing/HxPrintDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QPushButton>

namespace quillo::app {
namespace {

QString CaptionOf(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return strings::CaptionWarning;
    case TMsgDlgType::mtError:
        return strings::CaptionError;
    case TMsgDlgType::mtInformation:
        return strings::CaptionInformation;
    case TMsgDlgType::mtConfirmation:
        break;
    }
    return strings::CaptionConfirmation;
}

QMessageBox::Icon IconOf(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QMessageBox::Warning;
    case TMsgDlgType::mtError:
        return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
        return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
        break;
    }
    return QMessageBox::Question;
}

TFileDialogAnswer RunFileDialog(QWidget* parent, const TFileDialogRequest& request, bool save) {
    QFileDialog dialog(parent, request.Title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, false);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Open takes a typed name that does not exist too: the open command then
    // says it cannot read it.
    dialog.setFileMode(QFileDialog::AnyFile);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(request.Filters);
    if (request.FilterIndex >= 1 && request.FilterIndex <= request.Filters.size()) {
        dialog.selectNameFilter(request.Filters.at(request.FilterIndex - 1));
    }
    if (!request.DefaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.DefaultSuffix);
    }
    if (!request.FileName.isEmpty()) {
        dialog.selectFile(request.FileName);
    }
    TFileDialogAnswer answer;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        answer.Accepted = true;
        answer.FileName = dialog.selectedFiles().constFirst();
        answer.FilterIndex =
            static_cast<int>(request.Filters.indexOf(dialog.selectedNameFilter())) + 1;
        if (answer.FilterIndex < 1) {
            answer.FilterIndex = request.FilterIndex;
        }
    }
    return answer;
}

} // namespace

QMessageBox::StandardButton TDialogPrompts::MessageDlg(QWidget* parent, const QString& text,
                                                       TMsgDlgType type,
                                                       QMessageBox::StandardButtons buttons) {
    QMessageBox box(IconOf(type), CaptionOf(type), text, buttons, parent);
    if (QAbstractButton* b = box.button(QMessageBox::Yes)) {
        b->setText(strings::ButtonYes);
    }
    if (QAbstractButton* b = box.button(QMessageBox::No)) {
        b->setText(strings::ButtonNo);
    }
    if (QAbstractButton* b = box.button(QMessageBox::Cancel)) {
        b->setText(strings::ButtonCancel);
    }
    if (QAbstractButton* b = box.button(QMessageBox::Ok)) {
        b->setText(strings::ButtonOk);
    }
    const int r = box.exec();
    const auto pressed = static_cast<QMessageBox::StandardButton>(r);
    if (box.clickedButton() == nullptr) {
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::NoButton;
    }
    return pressed;
}

int TDialogPrompts::ExecDialog(QDialog& dialog) {
    return dialog.exec();
}

TFileDialogAnswer TDialogPrompts::OpenFileDialog(QWidget* parent,
                                                 const TFileDialogRequest& request) {
    return RunFileDialog(parent, request, false);
}

TFileDialogAnswer TDialogPrompts::SaveFileDialog(QWidget* parent,
                                                 const TFileDialogRequest& request) {
    return RunFileDialog(parent, request, true);
}

void TDialogPrompts::ShowException(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message,
                    QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(strings::ButtonOk);
    box.exec();
}

bool TDialogPrompts::ExecutePrintDialog(QWidget* parent, printing::THxPrintDialog& dialog) {
    return dialog.Execute(parent);
}

bool TDialogPrompts::ExecutePrinterSetupDialog(QWidget* parent,
                                               printing::THxPrinterSetupDialog& dialog) {
    return dialog.Execute(parent);
}

bool TDialogPrompts::ExecutePageSetupDialog(QWidget* parent, printing::TPageSetupDialog& dialog) {
    return dialog.Execute(parent);
}

} // namespace quillo::app
