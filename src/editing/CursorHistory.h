#pragma once

// The cursor history: caret positions the user left, oldest first, with the
// adjustments a cut or a paste makes to the positions after it.

#include <QtGlobal>

#include <memory>
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

} // namespace quillo::editing
