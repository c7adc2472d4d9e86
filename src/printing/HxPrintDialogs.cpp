#include "printing/HxPrintDialogs.h"

#include "printing/HxPrinter.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

namespace quillo::printing {

namespace pf = quillo::platform;

namespace {

// Fills a native printer from the program's printer object.
void ToQPrinter(TPrinterDevice& device, QPrinter& q) {
    q.setPrinterName(device.Device());
    const pf::DevMode* s = device.Settings();
    if (s == nullptr) {
        return;
    }
    q.setCopyCount(std::max<int>(1, s->dmCopies));
    q.setCollateCopies(s->dmCollate == 1);
    q.setPageOrientation(s->dmOrientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    if ((s->dmFields & pf::DM_COLOR) != 0) {
        q.setColorMode(s->dmColor == 2 ? QPrinter::Color : QPrinter::GrayScale);
    }
    if ((s->dmFields & pf::DM_DUPLEX) != 0) {
        q.setDuplex(s->dmDuplex == 1   ? QPrinter::DuplexNone
                    : s->dmDuplex == 3 ? QPrinter::DuplexShortSide
                                       : QPrinter::DuplexLongSide);
    }
}

// Takes the choices of an accepted dialog back into the printer object.
void FromQPrinter(const QPrinter& q, TPrinterDevice& device) {
    const auto& printers = device.Printers();
    for (int i = 0; i < static_cast<int>(printers.size()); ++i) {
        if (printers[i].Name == q.printerName() && i != device.PrinterIndex()) {
            device.SetPrinterIndex(i);
            break;
        }
    }
    pf::DevMode* current = device.Settings();
    if (current == nullptr) {
        return;
    }
    pf::DevMode s = *current;
    s.dmCopies = static_cast<std::int16_t>(std::clamp(q.copyCount(), 1, 32767));
    s.dmCollate = q.collateCopies() ? 1 : 0;
    s.dmOrientation = q.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    if ((s.dmFields & pf::DM_COLOR) != 0) {
        s.dmColor = q.colorMode() == QPrinter::Color ? 2 : 1;
    }
    if ((s.dmFields & pf::DM_DUPLEX) != 0) {
        switch (q.duplex()) {
        case QPrinter::DuplexNone:
            s.dmDuplex = 1;
            break;
        case QPrinter::DuplexShortSide:
            s.dmDuplex = 3;
            break;
        case QPrinter::DuplexLongSide:
        case QPrinter::DuplexAuto:
            s.dmDuplex = 2;
            break;
        }
    }
    device.SetPrinter(device.Device(), device.Port(), s);
}

} // namespace

THxPrintDialog::THxPrintDialog(THxPrinter& printer) : FPrinter(printer) {}

bool THxPrintDialog::Execute(QWidget* parent) {
    QPrinter q(QPrinter::HighResolution);
    ToQPrinter(FPrinter.Printer(), q);
    q.setFromTo(FromPage, ToPage);
    QPrintDialog dialog(&q, parent);
    dialog.setMinMax(MinPage, MaxPage);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, PageNumsEnabled);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setPrintRange(PrintRange == TPrintRange::prPageNums ? QAbstractPrintDialog::PageRange
                                                               : QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    switch (dialog.printRange()) {
    case QAbstractPrintDialog::PageRange:
        PrintRange = TPrintRange::prPageNums;
        FromPage = q.fromPage();
        ToPage = q.toPage();
        break;
    case QAbstractPrintDialog::Selection:
        PrintRange = TPrintRange::prSelection;
        break;
    default:
        PrintRange = TPrintRange::prAllPages;
        break;
    }
    Copies = q.copyCount();
    FromQPrinter(q, FPrinter.Printer());
    FPrinter.ForceUpdate();
    return true;
}

THxPrinterSetupDialog::THxPrinterSetupDialog(THxPrinter& printer) : FPrinter(printer) {}

bool THxPrinterSetupDialog::Execute(QWidget* parent) {
    QPrinter q(QPrinter::HighResolution);
    ToQPrinter(FPrinter.Printer(), q);
    QPrintDialog dialog(&q, parent);
    dialog.setWindowTitle(QStringLiteral("プリンタの設定"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    FromQPrinter(q, FPrinter.Printer());
    FPrinter.ForceUpdate();
    return true;
}

bool TPageSetupDialog::Execute(QWidget* parent) {
    QPrinter q(QPrinter::HighResolution);
    q.setOutputFormat(QPrinter::PdfFormat);
    QPageLayout layout(QPageSize(QSizeF(210.0, 297.0), QPageSize::Millimeter),
                       QPageLayout::Portrait,
                       QMarginsF(Margins.Left / 100.0, Margins.Top / 100.0, Margins.Right / 100.0,
                                 Margins.Bottom / 100.0),
                       QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
    q.setPageLayout(layout);
    QPageSetupDialog dialog(&q, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QMarginsF m = q.pageLayout().margins(QPageLayout::Millimeter);
    auto hundredths = [](double mm) {
        return static_cast<int>(std::lround(mm * 100.0));
    };
    Margins = {hundredths(m.left()), hundredths(m.top()), hundredths(m.right()),
               hundredths(m.bottom())};
    return true;
}

} // namespace quillo::printing
