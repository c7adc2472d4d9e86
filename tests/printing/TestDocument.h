#pragma once

#include "printing/PrintableDocument.h"

#include <QStringList>

#include <stdexcept>

namespace quillo::testing {

// A document held as a list of lines; it can be told to fail at a line.
class TestDocument : public printing::TPrintableDocument {
public:
    QStringList Lines;
    QString Name = "/home/user/memo.txt";
    int FailAtLine = -1; // reading this line throws, once armed
    bool Armed = false;

    int LineCount() const override { return static_cast<int>(Lines.size()); }
    QString Line(int index) const override {
        if (Armed && index == FailAtLine) {
            throw std::runtime_error("document read failed");
        }
        return Lines.at(index);
    }
    QString FileName() const override { return Name; }
    QFont Font() const override { return QFont("IPAGothic", 12); }
};

// Lines "line 1", "line 2", ... "line n".
inline QStringList NumberedLines(int n) {
    QStringList lines;
    for (int i = 1; i <= n; ++i) {
        lines.append(QString("line %1").arg(i));
    }
    return lines;
}

} // namespace quillo::testing
