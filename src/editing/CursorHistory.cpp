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

qsizetype TCursorHistory::Record(qsizetype length) {
    FCanGoBack = true;
    return FList.Add(FNoted, length - FNoted, FLineOf(FNoted) + 1);
}

void TCursorHistory::TextChanged(qsizetype caret, qsizetype length) {
    if (caret != FNoted && FLineOf(caret) != FLineOf(FNoted)) {
        FIndex = Record(length);
        FNoted = caret;
    }
}

bool TCursorHistory::Clicked(qsizetype caret, qsizetype length) {
    if (caret == FNoted) {
        return false;
    }
    const qsizetype noted = FLineOf(FNoted);
    bool onLine = false;
    for (qsizetype i = 0; i < FList.Count() && !onLine; ++i) {
        onLine = FLineOf(FList.Items(i)->TopLength) == noted;
    }
    if (!onLine) {
        FIndex = Record(length);
    }
    FNoted = caret;
    return true;
}

std::optional<qsizetype> TCursorHistory::Back(qsizetype caret, qsizetype length) {
    if (FIndex == FList.Count() - 1) {
        // The position being left becomes the newest entry; the step goes to
        // the one before it.
        FIndex = Record(length) - 1;
        FNoted = caret;
    }
    const TCurIndex* entry = FList.Items(FIndex);
    if (entry == nullptr) {
        return std::nullopt;
    }
    FIndex -= 1;
    if (FIndex < 0) {
        FCanGoBack = false;
        FIndex = 0;
    }
    FCanGoForward = true;
    return entry->TopLength;
}

std::optional<qsizetype> TCursorHistory::Forward() {
    FIndex += 1;
    const TCurIndex* entry = FList.Items(FIndex);
    if (entry == nullptr) {
        return std::nullopt;
    }
    if (FIndex >= FList.Count() - 1) {
        FCanGoForward = false;
    }
    FCanGoBack = true;
    return entry->TopLength;
}

} // namespace quillo::editing
