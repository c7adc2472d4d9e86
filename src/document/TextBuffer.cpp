#include "document/TextBuffer.h"

#include "document/LineIndex.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace quillo::document {

namespace {

// The gap grows by an eighth of the text at least: amortised constant cost
// per inserted unit, and little memory beyond the text on big documents.
constexpr qsizetype kMinGap = 256;
constexpr qsizetype kGapShare = 8;
constexpr qsizetype kPreparedGap = qsizetype{1} << 16;

} // namespace

TTextBuffer::TTextBuffer() : FLines(std::make_unique<TLineIndex>()) {}

TTextBuffer::~TTextBuffer() = default;

qsizetype TTextBuffer::Length() const {
    return FData.size() - (FGapEnd - FGapStart);
}

char16_t TTextBuffer::At(qsizetype pos) const {
    const qsizetype at = pos < FGapStart ? pos : pos + (FGapEnd - FGapStart);
    return FData.constData()[at].unicode();
}

void TTextBuffer::CopyTo(qsizetype pos, qsizetype length, char16_t* out) const {
    const auto* data = reinterpret_cast<const char16_t*>(FData.constData());
    const qsizetype gap = FGapEnd - FGapStart;
    if (pos < FGapStart) {
        const qsizetype before = std::min(length, FGapStart - pos);
        std::memcpy(out, data + pos, static_cast<std::size_t>(before) * sizeof(char16_t));
        out += before;
        pos += before;
        length -= before;
    }
    if (length > 0) {
        std::memcpy(out, data + pos + gap, static_cast<std::size_t>(length) * sizeof(char16_t));
    }
}

QString TTextBuffer::Mid(qsizetype pos, qsizetype length) const {
    QString result(length, Qt::Uninitialized);
    CopyTo(pos, length, reinterpret_cast<char16_t*>(result.data()));
    return result;
}

QStringView TTextBuffer::View() const {
    MoveGap(Length());
    return QStringView(FData.constData(), Length());
}

bool TTextBuffer::Equals(QStringView text) const {
    if (text.size() != Length()) {
        return false;
    }
    const QStringView data(FData);
    return text.left(FGapStart) == data.left(FGapStart) &&
           text.mid(FGapStart) == data.mid(FGapEnd, Length() - FGapStart);
}

void TTextBuffer::MoveGap(qsizetype pos) const {
    const qsizetype gap = FGapEnd - FGapStart;
    if (pos == FGapStart) {
        return;
    }
    if (gap == 0) {
        // Nothing to move, and no write access that would detach a shared string.
        FGapStart = FGapEnd = pos;
        return;
    }
    QChar* data = FData.data();
    if (pos < FGapStart) {
        const qsizetype count = FGapStart - pos;
        std::memmove(data + FGapEnd - count, data + pos,
                     static_cast<std::size_t>(count) * sizeof(QChar));
    } else {
        const qsizetype count = pos - FGapStart;
        std::memmove(data + FGapStart, data + FGapEnd,
                     static_cast<std::size_t>(count) * sizeof(QChar));
    }
    FGapStart = pos;
    FGapEnd = pos + gap;
}

void TTextBuffer::Reserve(qsizetype extra, bool grow) {
    const qsizetype gap = FGapEnd - FGapStart;
    if (gap >= extra && FData.isDetached()) {
        return;
    }
    const qsizetype oldSize = FData.size();
    const qsizetype tail = oldSize - FGapEnd;
    const qsizetype share = grow ? Length() / kGapShare : 0;
    const qsizetype newGap = std::max({extra, share, kMinGap, gap});
    const qsizetype newSize = oldSize - gap + newGap;
    // reserve() allocates exactly; resize() alone would round up to a power of two.
    FData.reserve(newSize);
    FData.resize(newSize);
    QChar* data = FData.data();
    std::memmove(data + newSize - tail, data + FGapEnd,
                 static_cast<std::size_t>(tail) * sizeof(QChar));
    FGapEnd = newSize - tail;
}

void TTextBuffer::Assign(QString text) {
    FData = std::move(text);
    FGapStart = FGapEnd = FData.size();
    FLines->Build(reinterpret_cast<const char16_t*>(FData.constData()), FData.size());
}

QString TTextBuffer::Take() {
    MoveGap(Length());
    if (FData.size() != Length()) {
        FData.resize(Length()); // a shared string would be copied even by a same-size resize
    }
    QString text = std::move(FData);
    FData = QString();
    FGapStart = FGapEnd = 0;
    FLines->Build(nullptr, 0);
    return text;
}

void TTextBuffer::Prepare(qsizetype pos) {
    // A modest gap: a text that is only read keeps its size.
    Reserve(kPreparedGap, false);
    MoveGap(pos);
}

qsizetype TTextBuffer::GapDistance(qsizetype pos) const {
    if (FGapEnd == FGapStart) {
        return Length(); // the first edit allocates the gap, which may copy everything
    }
    return std::abs(pos - FGapStart);
}

void TTextBuffer::Insert(qsizetype pos, QStringView text) {
    if (text.isEmpty()) {
        return;
    }
    if (Holds(text)) {
        // A view of this buffer: growing or moving the gap would change it.
        const QString copy = text.toString();
        Insert(pos, copy);
        return;
    }
    Reserve(text.size());
    MoveGap(pos);
    std::memcpy(reinterpret_cast<char16_t*>(FData.data()) + FGapStart, text.utf16(),
                static_cast<std::size_t>(text.size()) * sizeof(char16_t));
    FGapStart += text.size();
    FLines->Insert(pos, text);
}

void TTextBuffer::Remove(qsizetype pos, qsizetype length) {
    if (length <= 0) {
        return;
    }
    FLines->Remove(pos, length);
    // Widen the gap from whichever side it is on, moving the fewest units.
    if (FGapStart >= pos + length) {
        MoveGap(pos + length);
        FGapStart = pos;
    } else {
        MoveGap(pos);
        FGapEnd += length;
    }
}

bool TTextBuffer::Holds(QStringView text) const {
    const auto* begin = reinterpret_cast<const char16_t*>(FData.constData());
    return std::greater_equal<>()(text.utf16(), begin) &&
           std::less<>()(text.utf16(), begin + FData.size());
}

void TTextBuffer::Replace(qsizetype pos, qsizetype length, QStringView text) {
    if (length > 0 && Holds(text)) {
        const QString copy = text.toString();
        Replace(pos, length, copy);
        return;
    }
    Remove(pos, length);
    Insert(pos, text);
}

qsizetype TTextBuffer::LineCount() const {
    return FLines->LineCount();
}

qsizetype TTextBuffer::LineStart(qsizetype line) const {
    return FLines->LineStart(line);
}

qsizetype TTextBuffer::LineNext(qsizetype line) const {
    qsizetype start = 0;
    qsizetype length = 0;
    FLines->LineSpan(line, start, length);
    return start + length;
}

qsizetype TTextBuffer::LineEnd(qsizetype line) const {
    qsizetype start = 0;
    qsizetype length = 0;
    FLines->LineSpan(line, start, length);
    qsizetype end = start + length;
    if (line + 1 < FLines->LineCount()) {
        --end; // the LF
        if (end > start && At(end - 1) == u'\r') {
            --end;
        }
    }
    return end;
}

qsizetype TTextBuffer::LineOfPos(qsizetype pos) const {
    return FLines->LineOfPos(pos);
}

qsizetype TTextBuffer::MemoryBytes() const {
    return FData.capacity() * qsizetype{sizeof(QChar)} + FLines->MemoryBytes();
}

} // namespace quillo::document
