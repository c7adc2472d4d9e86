#pragma once

// The print, printer-setup and page-setup dialogs.  Each runs Qt's own
// dialog on a QPrinter filled from the program's printer object and, when
// accepted, takes the user's choices back into it and refreshes the model.

#include "printing/PageMargins.h"

class QWidget;

namespace quillo::printing {

class THxPrinter;

enum class TPrintRange { prAllPages, prSelection, prPageNums };

class THxPrintDialog {
public:
    explicit THxPrintDialog(THxPrinter& printer);

    bool Execute(QWidget* parent);

    bool PageNumsEnabled = false; // offer the page-range choice
    TPrintRange PrintRange = TPrintRange::prAllPages;
    int MinPage = 0;
    int MaxPage = 0;
    int FromPage = 0;
    int ToPage = 0;
    int Copies = 1;

private:
    THxPrinter& FPrinter;
};

class THxPrinterSetupDialog {
public:
    explicit THxPrinterSetupDialog(THxPrinter& printer);

    bool Execute(QWidget* parent);

private:
    THxPrinter& FPrinter;
};

// Edits only the margins; the sheet shown is A4 and does not drive the layout.
class TPageSetupDialog {
public:
    bool Execute(QWidget* parent);

    TPageMargins Margins;
};

} // namespace quillo::printing
