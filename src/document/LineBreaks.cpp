#include "document/LineBreaks.h"

#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillo::document {

namespace {

// Lone breaks in [from, to) of text; neighbours outside the range are read.
bool HasLoneBreakIn(const char16_t* text, qsizetype n, qsizetype from, qsizetype to) {
    const auto lone = [text, n](qsizetype i) {
        if (text[i] == u'\r') {
            return i + 1 >= n || text[i + 1] != u'\n';
        }
        if (text[i] == u'\n') {
            return i == 0 || text[i - 1] != u'\r';
        }
        return false;
    };
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i lf = _mm_set1_epi16(u'\n');
    for (; i + 8 <= to; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)));
        if (mask != 0) {
            for (qsizetype k = i; k < i + 8; ++k) {
                if (lone(k)) {
                    return true;
                }
            }
        }
    }
#endif
    for (; i < to; ++i) {
        if (lone(i)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool HasLoneBreak(QStringView text) {
    const auto* data = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    if (n < (qsizetype{1} << 22)) {
        return HasLoneBreakIn(data, n, 0, n);
    }
    // Big loaded texts: both cores.
    const qsizetype half = n / 2;
    bool second = false;
    std::thread worker([&] { second = HasLoneBreakIn(data, n, half, n); });
    const bool first = HasLoneBreakIn(data, n, 0, half);
    worker.join();
    return first || second;
}

qsizetype CrLfPosition(QStringView text, qsizetype pos) {
    if (!HasLoneBreak(text)) {
        return pos; // the usual text: one fast scan
    }
    const qsizetype n = text.size();
    qsizetype moved = pos;
    for (qsizetype i = 0; i < pos && i < n; ++i) {
        if (text[i] == u'\r') {
            moved += i + 1 >= n || text[i + 1] != u'\n' ? 1 : 0;
        } else if (text[i] == u'\n') {
            moved += i == 0 || text[i - 1] != u'\r' ? 1 : 0;
        }
    }
    return moved;
}

QString ToCrLf(const QString& text) {
    if (!HasLoneBreak(text)) {
        return text;
    }
    QString out;
    out.reserve(text.size() + text.size() / 16 + 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += QLatin1String("\r\n");
            if (i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
        } else if (c == u'\n') {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace quillo::document
