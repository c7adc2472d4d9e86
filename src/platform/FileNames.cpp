#include "platform/FileNames.h"

#include <sys/stat.h>

namespace quillo::platform {

namespace {

constexpr char16_t kByteEscape = 0xDC00;

bool IsContinuation(uchar b) {
    return (b & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at p (no overlong forms, no
// surrogates, nothing past U+10FFFF), or 0.
int SequenceLength(const uchar* p, qsizetype left) {
    const uchar b = p[0];
    if (b < 0x80) {
        return 1;
    }
    int length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high) {
        return 0;
    }
    for (int i = 2; i < length; ++i) {
        if (!IsContinuation(p[i])) {
            return 0;
        }
    }
    return length;
}

} // namespace

QString DecodeFileName(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int n = SequenceLength(p + i, bytes.size() - i);
        if (n == 0) {
            name += QChar(static_cast<char16_t>(kByteEscape + p[i]));
            ++i;
        } else {
            name += QString::fromUtf8(bytes.sliced(i, n));
            i += n;
        }
    }
    return name;
}

QByteArray EncodeFileName(QStringView name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        if (end > runStart) {
            bytes += name.sliced(runStart, end - runStart).toUtf8();
        }
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i; // a pair is a character of its own, whatever its low half
            continue;
        }
        if (c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF) {
            flush(i);
            bytes += static_cast<char>(c - kByteEscape);
            runStart = i + 1;
        }
    }
    flush(name.size());
    return bytes;
}

bool PathExists(const QString& path) {
    struct stat st {};
    return ::stat(EncodeFileName(path).constData(), &st) == 0;
}

bool IsFolder(const QString& path) {
    struct stat st {};
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace quillo::platform
