#include "editing/CursorHistory.h"

#include <algorithm>

namespace quillo::editing {

qsizetype TCursorList::Add(qsizetype topLength, qsizetype bottomLength, qsizetype line) {
    auto entry = std::make_unique<TCurIndex>();
    entry->TopLength = topLength;
    entry->BottomLength = bottomLength;
    entry->Line = line;
    FItems.push_back(std::move(entry));
    return Count() - 1;
}

void TCursorList::Clear() {
    while (!FItems.empty()) {
        FItems.pop_back();
    }
}

void TCursorList::AdjustForCut(qsizetype start, qsizetype length) {
    Adjust(start, length, -length);
}

void TCursorList::AdjustForPaste(qsizetype start, qsizetype length, qsizetype inserted) {
    Adjust(start, length, inserted - length);
}

void TCursorList::Adjust(qsizetype start, qsizetype length, qsizetype delta) {
    const qsizetype last = start + length - 1; // the last unit that goes
    for (auto& e : FItems) {
        e->Flag = false;
        if (e->TopLength > last) {
            e->TopLength += delta;
            e->Flag = true;
        }
    }
    // Entries strictly inside the removed text go; those at its ends stay.
    std::erase_if(FItems, [&](const std::unique_ptr<TCurIndex>& e) {
        return !e->Flag && start < e->TopLength && e->TopLength < last;
    });
}

} // namespace quillo::editing
