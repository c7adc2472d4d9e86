// The program's printer object and the PDF page canvas of a job.

#include "printing/PrinterDevice.h"

#include "printing/HxPrinterErrors.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

namespace quillo::printing {

namespace pf = quillo::platform;

TPrinterDevice::TPrinterDevice(pf::PrinterBackend& backend) : FBackend(backend) {}

TPrinterDevice::~TPrinterDevice() {
    if (Printing()) {
        Abort();
    }
}

void TPrinterDevice::LoadPrinters() {
    if (!FLoaded) {
        FPrinters = FBackend.Printers();
        FLoaded = true;
    }
}

const std::vector<pf::PrinterRecord>& TPrinterDevice::Printers() {
    LoadPrinters();
    return FPrinters;
}

int TPrinterDevice::PrinterIndex() {
    LoadPrinters();
    if (FPrinterIndex == -1 && !FPrinters.empty()) {
        SetPrinterIndex(-1);
    }
    return FPrinterIndex;
}

void TPrinterDevice::SetPrinterIndex(int index) {
    LoadPrinters();
    if (index < 0) {
        const QString name = FBackend.DefaultPrinter();
        index = -1;
        for (int i = 0; i < static_cast<int>(FPrinters.size()); ++i) {
            if (FPrinters[i].Name == name) {
                index = i;
                break;
            }
        }
        // No default named: the first printer the user may use.
        for (int i = 0; index < 0 && i < static_cast<int>(FPrinters.size()); ++i) {
            if ((FPrinters[i].Attributes & pf::PRINTER_ATTRIBUTE_HIDDEN) == 0) {
                index = i;
            }
        }
    }
    if (index >= static_cast<int>(FPrinters.size())) {
        throw EHXPrinterRangeError("Printer index out of range");
    }
    FPrinterIndex = index;
    if (index < 0) {
        FDevice.clear();
        FPort.clear();
        FSettings.reset();
        return;
    }
    FDevice = FPrinters[index].Name;
    FPort = FBackend.PrinterPort(FDevice);
    FSettings = FBackend.DefaultDevMode(FDevice);
    FMeasurePrinter.reset();
}

QString TPrinterDevice::Device() {
    PrinterIndex();
    return FDevice;
}

QString TPrinterDevice::Port() {
    PrinterIndex();
    return FPort;
}

pf::DevMode* TPrinterDevice::Settings() {
    PrinterIndex();
    return FSettings ? &*FSettings : nullptr;
}

void TPrinterDevice::SetPrinter(const QString& device, const QString& port,
                                const pf::DevMode& settings) {
    LoadPrinters();
    for (int i = 0; i < static_cast<int>(FPrinters.size()); ++i) {
        if (FPrinters[i].Name == device) {
            FPrinterIndex = i;
            FDevice = device;
            FPort = port;
            FSettings = settings;
            FMeasurePrinter.reset();
            return;
        }
    }
    throw EHXPrinterRangeError("Printer not found: " + device.toStdString());
}

pf::DeviceMeasures TPrinterDevice::Measures() {
    if (Printing()) {
        return FJobMeasures;
    }
    if (PrinterIndex() < 0 || !FSettings) {
        return {};
    }
    return FBackend.Measures(FDevice, *FSettings);
}

void TPrinterDevice::Configure(QPrinter& printer, const pf::DeviceMeasures& m) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    const int dpi = m.DpiX > 0 ? m.DpiX : 300;
    printer.setResolution(dpi);
    const double mmPerPixel = 25.4 / dpi;
    const QSizeF sheet(m.PaperWidth * mmPerPixel, m.PaperHeight * mmPerPixel);
    const QMarginsF margins(m.OffsetX * mmPerPixel, m.OffsetY * mmPerPixel,
                            (m.PaperWidth - m.OffsetX - m.PageWidth) * mmPerPixel,
                            (m.PaperHeight - m.OffsetY - m.PageHeight) * mmPerPixel);
    QPageLayout layout(QPageSize(sheet, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, margins, QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    printer.setPageLayout(layout);
    // Drawing starts at the printable area's origin, as on the printer itself.
    printer.setFullPage(false);
    printer.setPageMargins(margins, QPageLayout::Millimeter);
    printer.setDocName(FTitle);
}

QPaintDevice* TPrinterDevice::MeasureDevice() {
    if (FJobPrinter) {
        return FJobPrinter.get();
    }
    if (!FMeasurePrinter) {
        // Measuring may select the default printer, which drops the old device.
        const pf::DeviceMeasures m = Measures();
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        Configure(*printer, m);
        FMeasurePrinter = std::move(printer);
    }
    return FMeasurePrinter.get();
}

void TPrinterDevice::BeginDoc() {
    if (Printing()) {
        throw EHxPrinter("Printing in progress");
    }
    if (PrinterIndex() < 0 || !FSettings) {
        throw EHxPrinterNoPrinter("THxPrinter.CheckNoPrinter: No Printer");
    }
    FJobMeasures = FBackend.Measures(FDevice, *FSettings);
    FJobDir = std::make_unique<QTemporaryDir>();
    if (!FJobDir->isValid()) {
        FJobDir.reset();
        throw pf::PrinterBackendError("Cannot create a folder for the print job");
    }
    FJobPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    Configure(*FJobPrinter, FJobMeasures);
    FJobPrinter->setOutputFileName(FJobDir->filePath(QStringLiteral("job.pdf")));
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(FJobPrinter.get())) {
        FinishCanvas();
        throw pf::PrinterBackendError("Cannot start the print job");
    }
}

void TPrinterDevice::NewPage() {
    if (!Printing()) {
        throw EHxPrinter("Printer is not printing");
    }
    if (!FJobPrinter->newPage()) {
        throw pf::PrinterBackendError("Cannot start a new page");
    }
}

void TPrinterDevice::FinishCanvas() {
    if (FPainter && FPainter->isActive()) {
        FPainter->end();
    }
    FPainter.reset();
    FJobPrinter.reset();
}

void TPrinterDevice::EndDoc() {
    if (!Printing()) {
        throw EHxPrinter("Printer is not printing");
    }
    const QString pdf = FJobPrinter->outputFileName();
    FinishCanvas();
    pf::PrintJobRequest job{FDevice, FPort, FTitle, FSettings.value_or(pf::DevMode{}), pdf};
    try {
        FLastJobId = FBackend.SubmitJob(job);
    } catch (...) {
        FJobDir.reset();
        throw;
    }
    FJobDir.reset();
}

void TPrinterDevice::Abort() {
    // Nothing reaches the printer before EndDoc, so dropping the file is enough.
    FinishCanvas();
    FJobDir.reset();
}

void TPrinterDevice::Reset() {
    if (Printing()) {
        Abort();
    }
    FLoaded = false;
    FPrinters.clear();
    FPrinterIndex = -1;
    FDevice.clear();
    FPort.clear();
    FSettings.reset();
    FMeasurePrinter.reset();
}

} // namespace quillo::printing
