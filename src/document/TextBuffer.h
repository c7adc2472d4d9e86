#pragma once

// The document's storage: UTF-16 text in a gap buffer, with an index of line
// starts.  Lines are separated by LF; a CR right before the LF belongs to the
// break (the editor keeps every break as CR LF, but the buffer stays correct
// for any content).  Positions are UTF-16 indexes into the whole text.
//
// Costs: At/Mid near the last edit O(1)/O(length); Insert/Remove O(length +
// gap move) for the text and O(log lines) for the index; the line queries
// O(log lines).  View() moves the gap to the end once and then costs nothing
// until the next edit.

#include <QString>
#include <QStringView>

#include <memory>

namespace quillo::document {

class TLineIndex;

class TTextBuffer {
public:
    TTextBuffer();
    ~TTextBuffer();
    TTextBuffer(const TTextBuffer&) = delete;
    TTextBuffer& operator=(const TTextBuffer&) = delete;

    // ---- text ----
    qsizetype Length() const;
    char16_t At(qsizetype pos) const; // 0 <= pos < Length()
    QString Mid(qsizetype pos, qsizetype length) const;
    // Copies [pos, pos + length) to `out`, which has room for `length` units.
    void CopyTo(qsizetype pos, qsizetype length, char16_t* out) const;
    // The whole text as one contiguous view; valid until the next change.
    // It moves the gap, so it is a write underneath: not for two threads at once.
    QStringView View() const;
    QString Text() const { return View().toString(); }
    // Whether the text is `text`, compared where it lies (the gap stays).
    bool Equals(QStringView text) const;

    // Replaces the whole text.  Takes the string's storage when it is not
    // shared (no copy), and builds the line index on both cores for big texts.
    void Assign(QString text);
    void Insert(qsizetype pos, QStringView text);
    void Remove(qsizetype pos, qsizetype length);
    void Replace(qsizetype pos, qsizetype length, QStringView text);
    // Hands the whole text over without copying it and leaves the buffer
    // empty; with Assign, this lets the history swap a whole-text replacement
    // in and out instead of copying hundreds of megabytes.
    QString Take();
    // Readies an edit at `pos`: opens the gap there, so that the next insert or
    // remove at `pos` copies nothing.  For idle time after the caret jumped.
    void Prepare(qsizetype pos);
    // Distance from `pos` to the gap: what an edit at `pos` would move.
    qsizetype GapDistance(qsizetype pos) const;

    // ---- lines ----
    qsizetype LineCount() const;               // LF count + 1
    qsizetype LineStart(qsizetype line) const; // 0 <= line < LineCount()
    qsizetype LineEnd(qsizetype line) const;   // before the line's CR LF (or LF)
    qsizetype LineNext(qsizetype line) const;  // start of the next line, Length() for the last
    // 0 <= pos <= Length(); a CR of a CR LF is on its line
    qsizetype LineOfPos(qsizetype pos) const;

    // Bytes held, for the memory figures of the benchmarks.
    qsizetype MemoryBytes() const;

private:
    // gap buffer: FData = [0, FGapStart) text, [FGapStart, FGapEnd) gap, [FGapEnd, capacity) text
    mutable QString FData;
    mutable qsizetype FGapStart = 0;
    mutable qsizetype FGapEnd = 0;
    std::unique_ptr<TLineIndex> FLines;

    void MoveGap(qsizetype pos) const;
    // Makes room for `extra` units; `grow` adds a share of the text for the edits to come.
    void Reserve(qsizetype extra, bool grow = true);
    bool Holds(QStringView text) const;
};

} // namespace quillo::document
