#pragma once

// Reading printed PDF files back with the poppler command-line tools.

#include <QImage>
#include <QString>
#include <QStringList>

namespace quillo::testing {

// Page count from pdfinfo; -1 when it cannot be read.
int PdfPageCount(const QString& pdf);
// The text of one page (1-based) from pdftotext, laid out as printed.
QString PdfPageText(const QString& pdf, int page);
// The page's text lines, trimmed, without empty ones.
QStringList PdfPageLines(const QString& pdf, int page);
// One page rendered in grey at dpi; null when rendering fails.
QImage PdfRenderPage(const QString& pdf, int page, int dpi, const QString& pngBase);

} // namespace quillo::testing
