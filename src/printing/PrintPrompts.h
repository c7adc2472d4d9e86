#pragma once

// Everything the print commands show the user goes through here, so that the
// window can answer from a script in tests.

#include <QString>

#include <functional>

class QWidget;

namespace quillo::printing {

class THxPrintDialog;
class THxPrinterSetupDialog;
class TPageSetupDialog;

class TPrintPrompts {
public:
    virtual ~TPrintPrompts() = default;

    // Each runs its dialog; true when the user accepted it.
    virtual bool ExecutePrintDialog(THxPrintDialog& dialog) = 0;
    virtual bool ExecutePrinterSetupDialog(THxPrinterSetupDialog& dialog) = 0;
    virtual bool ExecutePageSetupDialog(TPageSetupDialog& dialog) = 0;
    // The taskbar overlay state (an index into the overlay pictures).
    virtual void ShowOverlay(int state) = 0;
    virtual void ShowWarning(const QString& text) = 0;
};

// The real dialogs and a warning box, over the given window.
class TQtPrintPrompts : public TPrintPrompts {
public:
    TQtPrintPrompts(QWidget* parent, std::function<void(int)> showOverlay);

    bool ExecutePrintDialog(THxPrintDialog& dialog) override;
    bool ExecutePrinterSetupDialog(THxPrinterSetupDialog& dialog) override;
    bool ExecutePageSetupDialog(TPageSetupDialog& dialog) override;
    void ShowOverlay(int state) override;
    void ShowWarning(const QString& text) override;

private:
    QWidget* FParent;
    std::function<void(int)> FShowOverlay;
};

} // namespace quillo::printing
