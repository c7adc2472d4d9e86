#pragma once

// What the printer model needs from the system's printing service: the
// printer list, the driver's capabilities and defaults, the device measures
// of a printer with given settings, and the hand-over of a finished job.
// The CUPS back end serves the program; tests script their own.

#include "platform/printer/DevMode.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

namespace quillo::platform {

// Attribute bit of a printer that the user should not be offered.
inline constexpr std::uint32_t PRINTER_ATTRIBUTE_HIDDEN = 0x20;

struct PrinterRecord {
    QString Name;
    std::uint32_t Attributes = 0;

    bool operator==(const PrinterRecord&) const = default;
};

struct PaperSizeInfo {
    std::int16_t Number = 0;
    QString Name;
    int Width = 0; // portrait sheet, tenths of a millimetre; 0 when unknown
    int Length = 0;
};

struct BinInfo {
    std::int16_t Number = 0;
    QString Name;
};

struct ResolutionInfo {
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

// Measures of the printer's page canvas, in device pixels unless noted.
struct DeviceMeasures {
    int DpiX = 0;
    int DpiY = 0;
    int PaperWidth = 0; // whole sheet
    int PaperHeight = 0;
    int OffsetX = 0; // printable area's origin on the sheet
    int OffsetY = 0;
    int PageWidth = 0; // printable area
    int PageHeight = 0;
    int PageWidthMM = 0; // printable area in millimetres
    int PageHeightMM = 0;
    int ColorBits = 1;
};

// A finished document ready for the printer: a PDF file laid out with the
// measures above.
struct PrintJobRequest {
    QString Printer;
    QString Port;
    QString Title;
    DevMode Settings;
    QString PdfPath;
};

class PrinterBackendError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PrinterBackend {
public:
    virtual ~PrinterBackend() = default;

    // Every printer in the system's order, hidden ones included.
    virtual std::vector<PrinterRecord> Printers() = 0;
    // The system's port names; may repeat a name.
    virtual QStringList Ports() = 0;
    // Empty when the system names no default printer.
    virtual QString DefaultPrinter() = 0;
    virtual QString PrinterPort(const QString& printer) = 0;

    // The driver's own settings for the printer; none when it is unknown.
    virtual std::optional<DevMode> DefaultDevMode(const QString& printer) = 0;
    // Lets the driver correct the settings in place; false when it rejects them.
    virtual bool ValidateDevMode(const QString& printer, DevMode& settings) = 0;

    virtual std::vector<PaperSizeInfo> PaperSizes(const QString& printer, const QString& port) = 0;
    virtual std::vector<BinInfo> Bins(const QString& printer, const QString& port) = 0;
    virtual std::vector<ResolutionInfo> Resolutions(const QString& printer,
                                                    const QString& port) = 0;
    // 0 or less when the driver does not say.
    virtual int MaxCopies(const QString& printer, const QString& port) = 0;

    virtual DeviceMeasures Measures(const QString& printer, const DevMode& settings) = 0;

    // Queues the job and returns its number; throws PrinterBackendError and
    // leaves nothing queued on failure.
    virtual int SubmitJob(const PrintJobRequest& job) = 0;
};

} // namespace quillo::platform
