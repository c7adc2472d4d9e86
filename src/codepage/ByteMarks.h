#pragma once

#include "codepage/codepage.h"

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

// The byte-order mark a text begins with: its code and length (0, 0 for none).
// A UTF-32 mark is read before the UTF-16 mark it begins with.
struct ByteMark {
    int code = 0;
    qsizetype length = 0;
};
inline ByteMark MarkOf(QByteArrayView bytes) {
    if (StartsWithBytes(bytes, {0xEF, 0xBB, 0xBF})) {
        return {kUtf8, 3};
    }
    if (StartsWithBytes(bytes, {0xFF, 0xFE, 0x00, 0x00})) {
        return {kUtf32Le, 4};
    }
    if (StartsWithBytes(bytes, {0x00, 0x00, 0xFE, 0xFF})) {
        return {kUtf32Be, 4};
    }
    if (StartsWithBytes(bytes, {0xFF, 0xFE})) {
        return {kUtf16Le, 2};
    }
    if (StartsWithBytes(bytes, {0xFE, 0xFF})) {
        return {kUtf16Be, 2};
    }
    return {};
}

} // namespace quillo::codepage
