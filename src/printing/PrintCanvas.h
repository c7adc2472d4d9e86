#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringView>

class QPainter;
class QPaintDevice;

namespace quillo::printing {

// The few canvas operations the print routine needs, in device pixels.
// Text is measured on the printer's own device whether or not a job is open,
// so counting and printing break lines at the same places.  A tab goes to the
// next stop, every eight widths of "0" as in the edit view, counted from the
// start of the text drawn.
class TPrintCanvas {
public:
    TPrintCanvas(const QFont& font, QPaintDevice* measureDevice);

    void SetPainter(QPainter* painter, const QColor& textColor);

    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // Draws with the top of the text at y, as the printer's text calls do.
    void TextOut(int x, int y, const QString& text);
    void Line(int x1, int y1, int x2, int y2);

    // The longest prefix of text no wider than width (0 when none fits).
    qsizetype FitPrefix(QStringView text, int width) const;

private:
    // The width of text with its tabs at the stops; draws it at (x, baseline)
    // on the way when asked.
    int Advance(QStringView text, bool draw, int x = 0, int baseline = 0) const;

    QFont FFont;
    QFontMetrics FMetrics;
    int FTabStop; // pixels between tab stops
    QPainter* FPainter = nullptr;
    QColor FTextColor = Qt::black;
};

} // namespace quillo::printing
