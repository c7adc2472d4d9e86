#pragma once

#include <QByteArrayView>

#include <initializer_list>

namespace quillo::codepage {

// True when the bytes begin with the given mark (a shorter buffer never does).
inline bool StartsWithBytes(QByteArrayView bytes, std::initializer_list<unsigned char> mark) {
    if (bytes.size() < static_cast<qsizetype>(mark.size())) {
        return false;
    }
    qsizetype i = 0;
    for (unsigned char b : mark) {
        if (static_cast<unsigned char>(bytes[i++]) != b) {
            return false;
        }
    }
    return true;
}

// How a document in a code is written: the encoder's code and the byte-order
// mark in front.  Throws ECodePageError for a code without a writer.
struct WriterForm {
    int code = 0;
    QByteArrayView mark;
};
WriterForm WriterFormOf(int code);

} // namespace quillo::codepage
