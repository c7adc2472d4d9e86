#include "editing/Numbering.h"

namespace quillo::editing {

QString NumberMarkers(const QString& text, qint64 first) {
    QString result;
    result.reserve(text.size());
    qint64 n = first;
    qsizetype from = 0;
    for (qsizetype p = text.indexOf(QLatin1String("%%")); p >= 0;
         p = text.indexOf(QLatin1String("%%"), from)) {
        result += QStringView(text).mid(from, p - from);
        result += QString::number(n++);
        from = p + 2;
    }
    result += QStringView(text).mid(from);
    return result;
}

QString AsLineList(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += QLatin1String("\r\n");
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            out += c;
        }
    }
    if (!out.isEmpty() && !out.endsWith(QLatin1String("\r\n"))) {
        out += QLatin1String("\r\n");
    }
    return out;
}

} // namespace quillo::editing
