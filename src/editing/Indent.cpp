#include "editing/Indent.h"

#include "editing/LfMemo.h"

namespace quillo::editing {

QString CaptureIndent(const TLfMemo& memo, qsizetype pos) {
    const QString line = memo.Line(memo.LineFromChar(pos));
    qsizetype n = 0;
    while (n < line.size() && (line[n] == u'\t' || line[n] == u' ' || line[n] == QChar(0x3000))) {
        ++n;
    }
    return line.left(n);
}

} // namespace quillo::editing
