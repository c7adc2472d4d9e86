// The three print commands of the File menu and the margins they print with.

#include "printing/PrintCommands.h"

#include "printing/HxPrinter.h"
#include "printing/PrintPages.h"
#include "printing/PrintPrompts.h"

namespace quillo::printing {

TPrintCommands::TPrintCommands(TPrintPrompts& prompts, THxPrinter& printer)
    : HxPrintDialog1(printer), HxPrinterSetupDialog1(printer), FPrompts(prompts),
      FPrinter(printer) {
    // The dialog opens on the page range, from the first page to the last;
    // later it keeps the choice last made.
    HxPrintDialog1.PrintRange = TPrintRange::prPageNums;
}

void TPrintCommands::Print1Execute(const TPrintableDocument& document) {
    try {
        HxPrintDialog1.PageNumsEnabled = true;
        const int n = PrintPages(FPrinter, document, Margins(), 0, 0);
        HxPrintDialog1.MinPage = 1;
        HxPrintDialog1.FromPage = 1;
        HxPrintDialog1.MaxPage = n;
        HxPrintDialog1.ToPage = n;
        FPrompts.ShowOverlay(kOverlayAsking);
        if (FPrompts.ExecutePrintDialog(HxPrintDialog1)) {
            FPrompts.ShowOverlay(kOverlayPrinting);
            switch (HxPrintDialog1.PrintRange) {
            case TPrintRange::prAllPages:
                PrintPages(FPrinter, document, Margins(), 1, n);
                break;
            case TPrintRange::prPageNums:
                PrintPages(FPrinter, document, Margins(), HxPrintDialog1.FromPage,
                           HxPrintDialog1.ToPage);
                break;
            case TPrintRange::prSelection:
                break;
            }
        }
        FPrompts.ShowOverlay(kOverlayEditing);
    } catch (const EPrintLayoutError& e) {
        FPrompts.ShowWarning(e.Message());
        FPrompts.ShowOverlay(kOverlayEditing);
    }
}

void TPrintCommands::PrinterSetting1Execute() {
    FPrompts.ExecutePrinterSetupDialog(HxPrinterSetupDialog1);
}

void TPrintCommands::FilePageSetup1Execute() {
    FPrompts.ExecutePageSetupDialog(FilePageSetup1);
}

} // namespace quillo::printing
