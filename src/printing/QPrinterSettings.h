#pragma once

// Hands the program's printer settings to Qt's dialogs and takes the user's
// choices back: printer, copies, collation, orientation, colour, duplex and
// paper size.

class QPrinter;

namespace quillo::platform {
class PrinterBackend;
}

namespace quillo::printing {

class TPrinterDevice;

void SettingsToQPrinter(TPrinterDevice& device, platform::PrinterBackend& backend, QPrinter& q);
void SettingsFromQPrinter(const QPrinter& q, TPrinterDevice& device,
                          platform::PrinterBackend& backend);

} // namespace quillo::printing
