#pragma once

// The three print commands of the File menu.  The window owns one instance,
// loads Margins from its settings at start and stores them at exit.

#include "printing/HxPrintDialogs.h"
#include "printing/PageMargins.h"

namespace quillo::printing {

class THxPrinter;
class TPrintPrompts;
class TPrintableDocument;

// Overlay states the print action shows.
inline constexpr int kOverlayAsking = 5;
inline constexpr int kOverlayPrinting = 6;
inline constexpr int kOverlayEditing = 3;

class TPrintCommands {
public:
    TPrintCommands(TPrintPrompts& prompts, THxPrinter& printer);

    // "印刷(&P)...": counts the pages, asks for the range and prints it.
    // Errors of the printer model propagate to the caller.
    void Print1Execute(const TPrintableDocument& document);
    // "プリンタの設定(&U)...".
    void PrinterSetting1Execute();
    // "ページの設定(&V)...": edits Margins.
    void FilePageSetup1Execute();

    TPageMargins& Margins() { return FilePageSetup1.Margins; }

    THxPrintDialog HxPrintDialog1;
    THxPrinterSetupDialog HxPrinterSetupDialog1;
    TPageSetupDialog FilePageSetup1;

private:
    TPrintPrompts& FPrompts;
    THxPrinter& FPrinter;
};

} // namespace quillo::printing
