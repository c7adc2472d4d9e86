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
// so counting and printing break lines at the same places.
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
    QFont FFont;
    QFontMetrics FMetrics;
    QPainter* FPainter = nullptr;
    QColor FTextColor = Qt::black;
};

} // namespace quillo::printing
