#pragma once

// The program's printer object: which printer is selected, its settings as
// the dialogs and the print run use them, and the page canvas of a job.  The
// canvas is a QPrinter writing a PDF file in the printer's device pixels;
// ending the document hands that file to the back end, which queues it on
// the selected printer with the settings held here.

#include "platform/printer/PrinterBackend.h"

#include <QPainter>
#include <QPrinter>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

namespace quillo::printing {

class TPrinterDevice {
public:
    explicit TPrinterDevice(platform::PrinterBackend& backend);
    ~TPrinterDevice();
    TPrinterDevice(const TPrinterDevice&) = delete;
    TPrinterDevice& operator=(const TPrinterDevice&) = delete;

    // Index into the system's list (hidden printers included).  Reading
    // selects the default printer when none is chosen; -1 when there is none.
    int PrinterIndex();
    // Selects a printer (-1: the default) with the driver's own settings.
    void SetPrinterIndex(int index);
    const std::vector<platform::PrinterRecord>& Printers();

    QString Device();
    QString Port();
    // The current settings; none until a printer has been selected.
    platform::DevMode* Settings();
    void SetPrinter(const QString& device, const QString& port, const platform::DevMode& settings);

    // Measures of the canvas for the selected printer and its settings.
    platform::DeviceMeasures Measures();
    // A paint device laid out like the canvas, for measuring text outside a job.
    QPaintDevice* MeasureDevice();

    void SetTitle(const QString& title) { FTitle = title; }
    QString Title() const { return FTitle; }
    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();
    bool Printing() const { return FPainter != nullptr; }
    QPainter* Canvas() { return FPainter.get(); }
    QPrinter* Handle() { return FJobPrinter.get(); }
    // The system's number of the last job handed over; 0 before any.
    int LastJobId() const { return FLastJobId; }

    // Forget everything loaded from the system; the next use reloads it.
    void Reset();

private:
    void LoadPrinters();
    void Configure(QPrinter& printer, const platform::DeviceMeasures& m);
    void FinishCanvas();

    platform::PrinterBackend& FBackend;
    bool FLoaded = false;
    std::vector<platform::PrinterRecord> FPrinters;
    int FPrinterIndex = -1;
    QString FDevice;
    QString FPort;
    std::optional<platform::DevMode> FSettings;
    QString FTitle;

    std::unique_ptr<QPrinter> FMeasurePrinter;
    std::unique_ptr<QTemporaryDir> FJobDir;
    std::unique_ptr<QPrinter> FJobPrinter;
    std::unique_ptr<QPainter> FPainter;
    platform::DeviceMeasures FJobMeasures;
    int FLastJobId = 0;
};

} // namespace quillo::printing
