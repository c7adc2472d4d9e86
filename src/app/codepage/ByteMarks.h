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

} // namespace quillo::codepage
