#include "printing/PdfTools.h"

#include <QProcess>
#include <QRegularExpression>

namespace quillo::testing {

namespace {

QString Run(const QString& program, const QStringList& args, bool* ok) {
    QProcess p;
    p.start(program, args);
    *ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

int PdfPageCount(const QString& pdf) {
    bool ok = false;
    const QString out = Run("pdfinfo", {pdf}, &ok);
    const auto m = QRegularExpression(R"(Pages:\s+(\d+))").match(out);
    return ok && m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString PdfPageText(const QString& pdf, int page) {
    bool ok = false;
    const QString n = QString::number(page);
    return Run("pdftotext", {"-layout", "-f", n, "-l", n, "-enc", "UTF-8", pdf, "-"}, &ok);
}

QStringList PdfPageLines(const QString& pdf, int page) {
    QStringList lines;
    for (const QString& line : PdfPageText(pdf, page).split('\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && trimmed != "\f") {
            lines.append(trimmed);
        }
    }
    return lines;
}

QImage PdfRenderPage(const QString& pdf, int page, int dpi, const QString& pngBase) {
    bool ok = false;
    const QString n = QString::number(page);
    Run("pdftoppm",
        {"-f", n, "-l", n, "-r", QString::number(dpi), "-gray", "-png", "-singlefile", pdf,
         pngBase},
        &ok);
    return ok ? QImage(pngBase + ".png") : QImage();
}

} // namespace quillo::testing
