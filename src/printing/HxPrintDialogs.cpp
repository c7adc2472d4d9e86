// The print, printer-setup and page-setup dialogs over Qt's own.

#include "printing/HxPrintDialogs.h"

#include "printing/HxPrinter.h"
#include "printing/QPrinterSettings.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

namespace quillo::printing {

THxPrintDialog::THxPrintDialog(THxPrinter& printer) : FPrinter(printer) {}

bool THxPrintDialog::Execute(QWidget* parent) {
    QPrinter q(QPrinter::HighResolution);
    SettingsToQPrinter(FPrinter.Printer(), FPrinter.Backend(), q);
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
    SettingsFromQPrinter(q, FPrinter.Printer(), FPrinter.Backend());
    FPrinter.ForceUpdate();
    return true;
}

THxPrinterSetupDialog::THxPrinterSetupDialog(THxPrinter& printer) : FPrinter(printer) {}

bool THxPrinterSetupDialog::Execute(QWidget* parent) {
    QPrinter q(QPrinter::HighResolution);
    SettingsToQPrinter(FPrinter.Printer(), FPrinter.Backend(), q);
    QPrintDialog dialog(&q, parent);
    dialog.setWindowTitle(QStringLiteral("プリンタの設定"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    SettingsFromQPrinter(q, FPrinter.Printer(), FPrinter.Backend());
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
