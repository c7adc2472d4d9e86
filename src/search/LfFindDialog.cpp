#include "search/LfFindDialog.h"

#include "search/LfFindDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

namespace quillo::search {

TLfFindDialog::TLfFindDialog(QObject* AOwner) : TLfFindDialog(AOwner, true) {}

TLfFindDialog::TLfFindDialog(QObject* AOwner, bool setFind) : QObject(AOwner), FsetFind(setFind) {}

TLfFindDialog::~TLfFindDialog() {
    if (FDlgForm) {
        if (parent() != nullptr) {
            emit NotifyMessage(1, Kind());
        }
        delete FDlgForm.data();
    }
}

bool TLfFindDialog::Execute(QWidget* ParentWnd) {
    if (!FDlgForm) {
        FDlgForm = new TLfFindDlg(ParentWnd);
        FDlgForm->FsetFind = FsetFind;
        if (!FRegKey.isEmpty()) {
            FDlgForm->FRootKey = FRootKey;
            FDlgForm->FRegKey = FRegKey;
            FDlgForm->LoadHistory();
        }
        // Both travel through the event loop, after the handler that caused them.
        connect(FDlgForm, &TLfFindDlg::Command, this, [this](TLfFindCommand command) {
            QMetaObject::invokeMethod(
                this, [this, command] { MessageHook(command); }, Qt::QueuedConnection);
        });
        connect(
            FDlgForm, &TLfFindDlg::Opened, this, [this] { emit NotifyMessage(0, Kind()); },
            Qt::QueuedConnection);
    }
    FDlgForm->show();
    FDlgForm->raise();
    FDlgForm->activateWindow();
    return true;
}

void TLfFindDialog::CloseDialog() {
    if (FDlgForm) {
        FDlgForm->close();
    }
}

bool TLfFindDialog::MessageHook(TLfFindCommand command) {
    if (!FDlgForm) {
        return false;
    }
    TLfFindOptions options = 0;
    if (FDlgForm->UseRegex->isChecked()) {
        options |= FindOptionBit(frmUseRegex);
    }
    if (FDlgForm->UseMultiLine->isChecked()) {
        options |= FindOptionBit(frmMultiLine);
    }
    if (FDlgForm->UseMatchCase->isChecked()) {
        options |= FindOptionBit(frmMatchCase);
    }
    options |= FindOptionBit(FDlgForm->FindCursor->isChecked() ? frmFindCursor : frmFindTop);
    FOptions = options;
    // "先頭から" holds for one press only.
    FDlgForm->FindCursor->setChecked(true);
    switch (command) {
    case TLfFindCommand::fcFindNext:
        DoFind();
        break;
    case TLfFindCommand::fcReplace:
        DoReplace();
        break;
    case TLfFindCommand::fcReplaceAll:
        DoReplaceAll();
        break;
    }
    return true;
}

QString TLfFindDialog::FindText() {
    if (FDlgForm && FDlgForm->isVisible()) {
        FFindText = FDlgForm->FindStr->currentText();
    }
    return FFindText;
}

void TLfFindDialog::SetFindText(const QString& value) {
    if (FDlgForm) {
        FDlgForm->FindStr->setEditText(value);
    }
}

QPoint TLfFindDialog::Position() const {
    return FDlgForm ? FDlgForm->frameGeometry().topLeft() : FPosition;
}

void TLfFindDialog::SetPosition(const QPoint& value) {
    if (FDlgForm && value != FPosition) {
        FDlgForm->move(value);
    }
    FPosition = value;
}

void TLfFindDialog::DoFind() {
    emit OnFind(this);
}

void TLfFindDialog::DoReplace() {
    FOptions &= ~FindOptionBit(frmReplaceAll);
    emit OnReplace(this);
}

void TLfFindDialog::DoReplaceAll() {
    FOptions |= FindOptionBit(frmReplaceAll);
    emit OnReplace(this);
}

TLfReplaceDialog::TLfReplaceDialog(QObject* AOwner) : TLfFindDialog(AOwner, false) {}

QString TLfReplaceDialog::ReplaceText() {
    if (FDlgForm && FDlgForm->isVisible()) {
        FReplaceText = FDlgForm->ReplaceStr->currentText();
    }
    return FReplaceText;
}

void TLfReplaceDialog::SetReplaceText(const QString& value) {
    if (FDlgForm) {
        FDlgForm->ReplaceStr->setEditText(value);
    }
}

} // namespace quillo::search
