#include "printing/PrintCanvas.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace quillo::printing {

TPrintCanvas::TPrintCanvas(const QFont& font, QPaintDevice* measureDevice)
    : FFont(font), FMetrics(font, measureDevice) {}

void TPrintCanvas::SetPainter(QPainter* painter, const QColor& textColor) {
    FPainter = painter;
    FTextColor = textColor;
    if (FPainter != nullptr) {
        FPainter->setFont(FFont);
    }
}

int TPrintCanvas::TextWidth(const QString& text) const {
    return FMetrics.horizontalAdvance(text);
}

int TPrintCanvas::TextHeight(const QString&) const {
    return FMetrics.height();
}

void TPrintCanvas::TextOut(int x, int y, const QString& text) {
    if (FPainter == nullptr || text.isEmpty()) {
        return;
    }
    FPainter->setPen(QPen(FTextColor));
    FPainter->drawText(QPoint(x, y + FMetrics.ascent()), text);
}

void TPrintCanvas::Line(int x1, int y1, int x2, int y2) {
    if (FPainter == nullptr) {
        return;
    }
    FPainter->setPen(QPen(Qt::black, 1, Qt::SolidLine));
    FPainter->drawLine(x1, y1, x2, y2);
}

qsizetype TPrintCanvas::FitPrefix(const QString& text, int width) const {
    const qsizetype n = text.size();
    auto fits = [&](qsizetype k) {
        return TextWidth(text.left(k)) <= width;
    };
    if (n == 0 || fits(n)) {
        return n;
    }
    if (width < 0) {
        return 0;
    }
    // Widths grow with the prefix, so search instead of dropping one
    // character at a time, and grow the probe from a guess so that a very
    // long line is not measured whole for every printed line.
    const int average = std::max(1, FMetrics.averageCharWidth());
    qsizetype lo = 0;
    qsizetype hi = std::min<qsizetype>(n, 2 * (width / average) + 16);
    while (hi < n && fits(hi)) {
        lo = hi;
        hi = std::min<qsizetype>(n, hi * 2);
    }
    while (hi - lo > 1) {
        const qsizetype mid = lo + (hi - lo) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    return lo;
}

} // namespace quillo::printing
