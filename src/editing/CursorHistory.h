#pragma once

// The cursor history: caret positions the user left, oldest first, with the
// adjustments a cut or a paste makes to the positions after it, and the walk
// back and forth through them.

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quillo::editing {

class TCurIndex {
public:
    qsizetype TopLength = 0;    // the recorded caret position
    qsizetype BottomLength = 0; // characters from it to the end, when recorded
    qsizetype Line = 0;         // 1-based line, when recorded
    bool Flag = false;
};

class TCursorList {
public:
    qsizetype Count() const { return static_cast<qsizetype>(FItems.size()); }
    TCurIndex* Items(qsizetype i) const {
        return i >= 0 && i < Count() ? FItems[static_cast<size_t>(i)].get() : nullptr;
    }
    // Appends an entry and returns its index.
    qsizetype Add(qsizetype topLength, qsizetype bottomLength, qsizetype line);
    // Frees every entry, the last first.
    void Clear();
    // Before a cut of `length` units at `start`.
    void AdjustForCut(qsizetype start, qsizetype length);
    // Before a paste of `inserted` units over `length` units at `start`.
    void AdjustForPaste(qsizetype start, qsizetype length, qsizetype inserted);

private:
    void Adjust(qsizetype start, qsizetype length, qsizetype delta);
    std::vector<std::unique_ptr<TCurIndex>> FItems;
};

// The history and the walk through it: when a position is recorded, which
// entry the next step back or forward lands on, and whether each step can be
// taken (the enabled state of the two commands).  Positions are offsets in the
// text; the history asks `lineOf` for the line of one.
class TCursorHistory {
public:
    using LineOf = std::function<qsizetype(qsizetype pos)>;

    explicit TCursorHistory(LineOf lineOf) : FLineOf(std::move(lineOf)) {}

    const TCursorList& List() const { return FList; }
    // The entry the next step back goes to (-1 before anything was recorded).
    qsizetype Index() const { return FIndex; }
    // The position noted last: at a key-down, a click or a recording.
    qsizetype Noted() const { return FNoted; }
    bool CanGoBack() const { return FCanGoBack; }
    bool CanGoForward() const { return FCanGoForward; }

    // A key went down with the caret at `caret`.
    void Note(qsizetype caret) { FNoted = caret; }
    // The text changed; the caret is at `caret` in a text of `length` units.
    // Records the noted position when the caret has left its line.
    void TextChanged(qsizetype caret, qsizetype length);
    // A click put the caret at `caret`.  False when it is where it was noted
    // (nothing happens then).
    bool Clicked(qsizetype caret, qsizetype length);
    // A step back from the caret at `caret`: the position whose line to go
    // to, or nothing when there is no entry to go to.
    std::optional<qsizetype> Back(qsizetype caret, qsizetype length);
    // A step forward: the same.
    std::optional<qsizetype> Forward();

    // Forgets the entries; the index, the noted position and whether the steps
    // can be taken stay.
    void Clear() { FList.Clear(); }
    // Before a cut of `length` units at `start`.
    void AdjustForCut(qsizetype start, qsizetype length) { FList.AdjustForCut(start, length); }
    // Before a paste of `inserted` units over `length` units at `start`.
    void AdjustForPaste(qsizetype start, qsizetype length, qsizetype inserted) {
        FList.AdjustForPaste(start, length, inserted);
    }

private:
    // Records the noted position as the newest entry.
    qsizetype Record(qsizetype length);

    LineOf FLineOf;
    TCursorList FList;
    qsizetype FIndex = -1;
    qsizetype FNoted = 0;
    bool FCanGoBack = false;
    bool FCanGoForward = false;
};

} // namespace quillo::editing
