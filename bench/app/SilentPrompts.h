#pragma once

// Prompts for window benchmarks: every question is answered with Cancel and
// every dialog is refused, so that nothing waits for a user.

#include "app/Prompts.h"

namespace quillo::bench {

class SilentPrompts : public app::Prompts {
public:
    QMessageBox::StandardButton MessageDlg(QWidget*, const QString&, app::TMsgDlgType,
                                           QMessageBox::StandardButtons) override {
        return QMessageBox::Cancel;
    }
    int ExecDialog(QDialog&) override { return 0; }
    app::TFileDialogAnswer OpenFileDialog(QWidget*, const app::TFileDialogRequest&) override {
        return {};
    }
    app::TFileDialogAnswer SaveFileDialog(QWidget*, const app::TFileDialogRequest&) override {
        return {};
    }
    void ShowException(QWidget*, const QString&) override {}
    bool ExecutePrintDialog(QWidget*, printing::THxPrintDialog&) override { return false; }
    bool ExecutePrinterSetupDialog(QWidget*, printing::THxPrinterSetupDialog&) override {
        return false;
    }
    bool ExecutePageSetupDialog(QWidget*, printing::TPageSetupDialog&) override { return false; }
};

} // namespace quillo::bench
