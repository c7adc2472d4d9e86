#pragma once

// Everything the main window asks or tells the user goes through this
// interface, so that tests can drive the real window with scripted answers.

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace quillo::printing {
class THxPrintDialog;
class THxPrinterSetupDialog;
class TPageSetupDialog;
} // namespace quillo::printing

namespace quillo::app {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// A file dialog's request and its answer.
struct TFileDialogRequest {
    QString Title;
    QStringList Filters; // one entry per filter, "説明 (*.txt)"
    int FilterIndex = 1; // 1-based, as the dialogs count
    QString FileName;    // proposed name or folder
    QString DefaultSuffix;
};
struct TFileDialogAnswer {
    bool Accepted = false;
    QString FileName;
    int FilterIndex = 1;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with the given buttons; returns the button pressed, or
    // QMessageBox::Cancel (NoButton when there is no Cancel) when closed.
    virtual QMessageBox::StandardButton MessageDlg(QWidget* parent, const QString& text,
                                                   TMsgDlgType type,
                                                   QMessageBox::StandardButtons buttons) = 0;
    // Shows one of the program's modal dialogs; returns QDialog::Accepted or Rejected.
    virtual int ExecDialog(QDialog& dialog) = 0;
    virtual TFileDialogAnswer OpenFileDialog(QWidget* parent,
                                             const TFileDialogRequest& request) = 0;
    virtual TFileDialogAnswer SaveFileDialog(QWidget* parent,
                                             const TFileDialogRequest& request) = 0;
    // The general error message for a failure that ended a command.
    virtual void ShowException(QWidget* parent, const QString& message) = 0;
    // The printing dialogs; true when accepted.
    virtual bool ExecutePrintDialog(QWidget* parent, printing::THxPrintDialog& dialog) = 0;
    virtual bool ExecutePrinterSetupDialog(QWidget* parent,
                                           printing::THxPrinterSetupDialog& dialog) = 0;
    virtual bool ExecutePageSetupDialog(QWidget* parent, printing::TPageSetupDialog& dialog) = 0;
};

// The real dialogs.
class TDialogPrompts final : public Prompts {
public:
    QMessageBox::StandardButton MessageDlg(QWidget* parent, const QString& text, TMsgDlgType type,
                                           QMessageBox::StandardButtons buttons) override;
    int ExecDialog(QDialog& dialog) override;
    TFileDialogAnswer OpenFileDialog(QWidget* parent, const TFileDialogRequest& request) override;
    TFileDialogAnswer SaveFileDialog(QWidget* parent, const TFileDialogRequest& request) override;
    void ShowException(QWidget* parent, const QString& message) override;
    bool ExecutePrintDialog(QWidget* parent, printing::THxPrintDialog& dialog) override;
    bool ExecutePrinterSetupDialog(QWidget* parent,
                                   printing::THxPrinterSetupDialog& dialog) override;
    bool ExecutePageSetupDialog(QWidget* parent, printing::TPageSetupDialog& dialog) override;
};

} // namespace quillo::app
