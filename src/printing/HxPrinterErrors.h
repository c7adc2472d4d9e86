#pragma once

// The printer model's exceptions: one class per kind of failure, the message
// naming the operation.

#include <stdexcept>
#include <string>

namespace quillo::printing {

class EHxPrinter : public std::runtime_error {
public:
    explicit EHxPrinter(const std::string& message) : std::runtime_error(message) {}
};

#define QUILLO_HX_PRINTER_ERROR(Name)                                                              \
    class Name : public EHxPrinter {                                                               \
    public:                                                                                        \
        using EHxPrinter::EHxPrinter;                                                              \
    }

QUILLO_HX_PRINTER_ERROR(EHXPrinterRangeError);
QUILLO_HX_PRINTER_ERROR(EHXPrinterPaperSizeError);
QUILLO_HX_PRINTER_ERROR(EHxPrinterBinError);
QUILLO_HX_PRINTER_ERROR(EHxPrinterNoPrinter);
QUILLO_HX_PRINTER_ERROR(EHxPrinterNotSupported);
QUILLO_HX_PRINTER_ERROR(EHxPrinterNoInfo);
QUILLO_HX_PRINTER_ERROR(EHxPrinterIllegalIndex);
QUILLO_HX_PRINTER_ERROR(EHxPrinterNoUserPaperExtent);

#undef QUILLO_HX_PRINTER_ERROR

// An internal consistency check that failed; shown by the general error
// handler like any other error.
class EAssertionFailed : public std::logic_error {
public:
    explicit EAssertionFailed(const std::string& message) : std::logic_error(message) {}
};

} // namespace quillo::printing
