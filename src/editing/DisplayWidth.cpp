#include "editing/DisplayWidth.h"

#include "codepage/SjisByteLength.h"

namespace quillo::editing {

int DisplayWidth(QStringView text, int startColumn) {
    int counter = startColumn;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u == u'\t') {
            counter = counter - counter % 8 + 8;
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i; // never in CP932: one substitute byte
            ++counter;
        } else {
            counter += codepage::Cp932UnitBytes(u);
        }
    }
    return counter;
}

QChar RulerLabel(int m) {
    if (m % 10 == 0) {
        return QChar(u'0' + (m % 100) / 10);
    }
    return m % 10 == 5 ? QChar(u':') : QChar(u'.');
}

} // namespace quillo::editing
