// The canvas operations of the print routine, on a QPainter in device pixels.

#include "printing/PrintCanvas.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace quillo::printing {

TPrintCanvas::TPrintCanvas(const QFont& font, QPaintDevice* measureDevice)
    : FFont(font), FMetrics(font, measureDevice),
      FTabStop(
          std::max(1, qRound(8.0 * QFontMetricsF(font, measureDevice).horizontalAdvance(u'0')))) {}

void TPrintCanvas::SetPainter(QPainter* painter, const QColor& textColor) {
    FPainter = painter;
    FTextColor = textColor;
    if (FPainter != nullptr) {
        FPainter->setFont(FFont);
    }
}

int TPrintCanvas::TextWidth(const QString& text) const {
    return Advance(text, false);
}

int TPrintCanvas::Advance(QStringView text, bool draw, int x, int baseline) const {
    int width = 0;
    for (qsizetype from = 0;;) {
        const qsizetype tab = text.indexOf(u'\t', from);
        const QStringView piece = text.mid(from, tab < 0 ? -1 : tab - from);
        if (!piece.isEmpty()) {
            // Measured in place: a piece of a long line is not copied.
            const QString raw = QString::fromRawData(piece.data(), piece.size());
            if (draw) {
                FPainter->drawText(QPoint(x + width, baseline), raw);
            }
            width += FMetrics.horizontalAdvance(raw);
        }
        if (tab < 0) {
            return width;
        }
        width = (width / FTabStop + 1) * FTabStop;
        from = tab + 1;
    }
}

int TPrintCanvas::TextHeight(const QString&) const {
    return FMetrics.height();
}

void TPrintCanvas::TextOut(int x, int y, const QString& text) {
    if (FPainter == nullptr || text.isEmpty()) {
        return;
    }
    FPainter->setPen(QPen(FTextColor));
    Advance(text, true, x, y + FMetrics.ascent());
}

void TPrintCanvas::Line(int x1, int y1, int x2, int y2) {
    if (FPainter == nullptr) {
        return;
    }
    FPainter->setPen(QPen(Qt::black, 1, Qt::SolidLine));
    FPainter->drawLine(x1, y1, x2, y2);
}

qsizetype TPrintCanvas::FitPrefix(QStringView text, int width) const {
    const qsizetype n = text.size();
    // Measure a prefix in place: the metrics look at every character of the
    // string they get, so handing them the whole line would cost its length
    // for every probe.
    auto fits = [&](qsizetype k) {
        return Advance(text.left(k), false) <= width;
    };
    if (n == 0 || width < 0) {
        return 0;
    }
    // Widths grow with the prefix: grow a probe from a guess until it no
    // longer fits, then search between the last two probes.
    const int average = std::max(1, FMetrics.averageCharWidth());
    qsizetype lo = 0;
    qsizetype hi = std::min<qsizetype>(n, 2 * (width / average) + 16);
    while (fits(hi)) {
        lo = hi;
        if (hi == n) {
            return n;
        }
        hi = std::min<qsizetype>(n, hi * 2);
    }
    while (hi - lo > 1) {
        const qsizetype mid = lo + (hi - lo) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    return lo;
}

} // namespace quillo::printing
