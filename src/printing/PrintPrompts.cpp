// The print commands' dialogs, messages and overlay as the real program shows them.

#include "printing/PrintPrompts.h"

#include "printing/HxPrintDialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace quillo::printing {

TQtPrintPrompts::TQtPrintPrompts(QWidget* parent, std::function<void(int)> showOverlay)
    : FParent(parent), FShowOverlay(std::move(showOverlay)) {}

bool TQtPrintPrompts::ExecutePrintDialog(THxPrintDialog& dialog) {
    return dialog.Execute(FParent);
}

bool TQtPrintPrompts::ExecutePrinterSetupDialog(THxPrinterSetupDialog& dialog) {
    return dialog.Execute(FParent);
}

bool TQtPrintPrompts::ExecutePageSetupDialog(TPageSetupDialog& dialog) {
    return dialog.Execute(FParent);
}

void TQtPrintPrompts::ShowOverlay(int state) {
    if (FShowOverlay) {
        FShowOverlay(state);
    }
}

void TQtPrintPrompts::ShowWarning(const QString& text) {
    QMessageBox::warning(FParent, QApplication::applicationName(), text);
}

} // namespace quillo::printing
