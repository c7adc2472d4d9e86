#pragma once

#include <QColor>
#include <QFont>
#include <QString>

namespace quillo::printing {

// What the print routine reads of the document.
class TPrintableDocument {
public:
    virtual ~TPrintableDocument() = default;

    // The lines of the edit view, each read whole; a final line break adds
    // no empty line.
    virtual int LineCount() const = 0;
    virtual QString Line(int index) const = 0;
    // The full path, or the untitled name of a new document.
    virtual QString FileName() const = 0;
    // The edit view's font; the routine prints it at 10 points.
    virtual QFont Font() const = 0;
    virtual QColor FontColor() const { return Qt::black; }
};

} // namespace quillo::printing
