// Printing the document: pages laid out with the header, the rule and the text.

#include "printing/PrintPages.h"

#include "printing/HxPrinter.h"
#include "printing/PrintCanvas.h"

#include <QFileInfo>
#include <QLocale>
#include <QPainter>

#include <cmath>

namespace quillo::printing {

namespace {

// To the nearest integer, halves to the even neighbour.
int Nearest(double x) {
    return static_cast<int>(std::nearbyint(x));
}

bool InRange(int page, int from, int to) {
    return page >= from && page <= to;
}

// Never split a surrogate pair between two printed lines.
qsizetype KeepPairs(QStringView text, qsizetype k) {
    if (k > 1 && k < text.size() && text[k - 1].isHighSurrogate() && text[k].isLowSurrogate()) {
        return k - 1;
    }
    return k;
}

struct Layout {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

Layout ComputeLayout(THxPrinter& printer, const TPageMargins& m) {
    const THxPoint dpi = printer.DPI();
    const THxPoint offset = printer.Offset();
    const QSize paper = printer.PaperExtent();
    Layout l;
    l.Left = Nearest(m.Left / 100.0 / 25.4 * dpi.X - offset.X);
    l.Top = Nearest(m.Top / 100.0 / 25.4 * dpi.Y - offset.Y);
    l.Width = Nearest((paper.width() - l.Left) - (m.Right / 100.0 / 25.4 * dpi.X - offset.X));
    l.Height = Nearest((paper.height() - l.Top) - (m.Bottom / 100.0 / 25.4 * dpi.Y - offset.Y));
    return l;
}

} // namespace

QString PrintAreaTooSmallMessage() {
    return QStringLiteral("余白が大きすぎるため、印刷できる範囲がありません。"
                          "ページの設定で余白を小さくしてください。");
}

QString PageNumberText(int page) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(page) + QStringLiteral(" ページ");
}

int PrintPages(THxPrinter& printer, const TPrintableDocument& document, const TPageMargins& margins,
               int fromPage, int toPage) {
    printer.ForceUpdate();
    printer.ApplySettings();

    const bool printing = fromPage >= 1;
    const Layout l = ComputeLayout(printer, margins);
    if (l.Width <= 0 || l.Height <= 0) {
        throw EPrintLayoutError(PrintAreaTooSmallMessage());
    }

    QFont font = document.Font();
    // 10 points at the printer's horizontal resolution, rounded as the
    // printer's font mapper does.
    font.setPixelSize(std::max(1, Nearest(10.0 * printer.DPI().X / 72.0)));
    const QString fileName = QFileInfo(document.FileName()).fileName();

    auto run = [&](TPrintCanvas& canvas) {
        const int h = canvas.TextHeight(QStringLiteral("あ"));
        auto header = [&](int page, int y) {
            canvas.TextOut(l.Left, l.Top + y, fileName);
            const QString number = PageNumberText(page);
            canvas.TextOut(l.Left + l.Width - canvas.TextWidth(number), l.Top + y, number);
            const int rule = l.Top + Nearest(1.1 * h);
            canvas.Line(l.Left, rule, l.Left + l.Width, rule);
        };

        int page = 1;
        int y = 0;
        int line = 0;
        const int count = document.LineCount();
        // The rest of the current line is text[pos...]; nothing is copied
        // as a long line is used up.
        QString text = count > 0 ? document.Line(0) : QString();
        qsizetype pos = 0;
        if (printing && InRange(page, fromPage, toPage)) {
            header(page, y);
        }
        y += Nearest(1.5 * h);
        do {
            const QStringView rest = QStringView(text).mid(pos);
            qsizetype k = KeepPairs(rest, canvas.FitPrefix(rest, l.Width));
            // Even a character wider than the line must go somewhere.
            if (k == 0 && !rest.isEmpty()) {
                k = rest.size() > 1 && rest[0].isHighSurrogate() && rest[1].isLowSurrogate() ? 2
                                                                                             : 1;
            }
            if (y + Nearest(h) > l.Height) {
                if (printing && InRange(page, fromPage, toPage - 1)) {
                    printer.Newpage();
                }
                ++page;
                y = 0;
                if (printing && InRange(page, fromPage, toPage)) {
                    header(page, y);
                }
                y = Nearest(1.5 * h);
            }
            if (printing && InRange(page, fromPage, toPage)) {
                canvas.TextOut(l.Left, l.Top + y, rest.left(k).toString());
            }
            y += Nearest(1.2 * h);
            pos += k;
            if (pos >= text.size()) {
                ++line;
                text = line < count ? document.Line(line) : QString();
                pos = 0;
            }
        } while (pos < text.size() || line < count);
        return page;
    };

    if (!printing) {
        TPrintCanvas canvas(font, printer.MeasureDevice());
        return run(canvas);
    }

    printer.BeginDoc(fileName);
    try {
        TPrintCanvas canvas(font, printer.MeasureDevice());
        canvas.SetPainter(printer.Canvas(), document.FontColor());
        const int pages = run(canvas);
        printer.EndDoc();
        return pages;
    } catch (...) {
        // Leave no half-made job behind.
        if (printer.Printing()) {
            printer.Abort();
        }
        throw;
    }
}

} // namespace quillo::printing
