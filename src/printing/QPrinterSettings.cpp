// The printer settings handed to Qt's dialogs and taken back from them.

#include "printing/QPrinterSettings.h"

#include "platform/printer/PrinterBackend.h"
#include "printing/PrinterDevice.h"

#include <QPageSize>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace quillo::printing {

namespace pf = quillo::platform;

namespace {

// Sizes that differ by less than this are the same sheet (tenths of a mm).
constexpr int kSheetTolerance = 10;

int Tenths(double mm) {
    return static_cast<int>(std::lround(mm * 10.0));
}

} // namespace

void SettingsToQPrinter(TPrinterDevice& device, pf::PrinterBackend& backend, QPrinter& q) {
    q.setPrinterName(device.Device());
    const pf::DevMode* s = device.Settings();
    if (s == nullptr) {
        return;
    }
    q.setCopyCount(std::max<int>(1, s->dmCopies));
    q.setCollateCopies(s->dmCollate == 1);
    if ((s->dmFields & pf::DM_PAPERSIZE) != 0) {
        QSizeF sheet;
        if (s->dmPaperSize == pf::DMPAPER_USER) {
            sheet = QSizeF(s->dmPaperWidth / 10.0, s->dmPaperLength / 10.0);
        } else {
            for (const auto& p : backend.PaperSizes(device.Device(), device.Port())) {
                if (p.Number == s->dmPaperSize && p.Width > 0 && p.Length > 0) {
                    sheet = QSizeF(p.Width / 10.0, p.Length / 10.0);
                    break;
                }
            }
        }
        if (!sheet.isEmpty()) {
            q.setPageSize(
                QPageSize(sheet, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch));
        }
    }
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

void SettingsFromQPrinter(const QPrinter& q, TPrinterDevice& device, pf::PrinterBackend& backend) {
    const auto& printers = device.Printers();
    for (int i = 0; i < static_cast<int>(printers.size()); ++i) {
        if (printers[i].Name == q.printerName() && printers[i].Name != device.Device()) {
            device.SetPrinterIndex(i);
            break;
        }
    }
    const pf::DevMode* current = device.Settings();
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
    if ((s.dmFields & pf::DM_PAPERSIZE) != 0) {
        const QSizeF mm = q.pageLayout().pageSize().size(QPageSize::Millimeter);
        const int width = Tenths(std::min(mm.width(), mm.height()));
        const int length = Tenths(std::max(mm.width(), mm.height()));
        bool found = false;
        for (const auto& p : backend.PaperSizes(device.Device(), device.Port())) {
            if (std::abs(p.Width - width) < kSheetTolerance &&
                std::abs(p.Length - length) < kSheetTolerance) {
                if (s.dmPaperSize != p.Number) {
                    s.dmPaperSize = p.Number;
                    s.dmFields &= ~(pf::DM_PAPERLENGTH | pf::DM_PAPERWIDTH);
                }
                found = true;
                break;
            }
        }
        if (!found && width > 0 && length > 0) {
            s.dmPaperSize = pf::DMPAPER_USER;
            s.dmPaperWidth = static_cast<std::int16_t>(width);
            s.dmPaperLength = static_cast<std::int16_t>(length);
            s.dmFields |= pf::DM_PAPERLENGTH | pf::DM_PAPERWIDTH;
        }
    }
    device.SetPrinter(device.Device(), device.Port(), s);
}

} // namespace quillo::printing
