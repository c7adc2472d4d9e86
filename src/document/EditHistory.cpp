#include "document/EditHistory.h"

#include "document/TextBuffer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quillo::document {

namespace {

// The texts of a change live in its step's pool, so that a Replace All of a
// million matches costs one allocation per step, not two per change.
struct TChange {
    qsizetype Pos = 0;
    qsizetype RemovedAt = 0;
    qsizetype RemovedLen = 0;
    qsizetype InsertedAt = 0;
    qsizetype InsertedLen = 0;
    // Index into TStep::Wholes for a whole-text swap: the side that is not in
    // the buffer (the removed text while the change is applied).
    int Whole = -1;
};

struct TStep {
    std::vector<TChange> Changes;
    QString Pool;
    std::vector<QString> Wholes;
    qsizetype AnchorBefore = 0;
    qsizetype CaretBefore = 0;
    qsizetype CaretAfter = 0;
    // Everything the step changed lies in [SpanLo, SpanHi) of the text after
    // it; that range was SpanHi - SpanLo - Delta units long before it.
    qsizetype SpanLo = 0;
    qsizetype SpanHi = 0;
    qsizetype Delta = 0;
    // Bumped whenever the step grows, so that a clean mark knows the step it saw.
    std::uint64_t Serial = 0;

    void Widen(qsizetype pos, qsizetype removed, qsizetype inserted) {
        if (Serial == 0) { // the step's first change
            SpanLo = pos;
            SpanHi = pos + inserted;
            Delta = inserted - removed;
            return;
        }
        qsizetype hi = SpanHi;
        if (hi >= pos + removed) {
            hi += inserted - removed;
        } else if (hi > pos) {
            hi = pos + inserted;
        }
        SpanLo = std::min(SpanLo, pos);
        SpanHi = std::max(hi, pos + inserted);
        Delta += inserted - removed;
    }
};

void Apply(TTextBuffer& buffer, TStep& step, TChange& change, bool forward) {
    if (change.Whole >= 0) {
        QString out = buffer.Take();
        buffer.Assign(std::move(step.Wholes[static_cast<std::size_t>(change.Whole)]));
        step.Wholes[static_cast<std::size_t>(change.Whole)] = std::move(out);
        return;
    }
    const QStringView pool(step.Pool);
    if (forward) {
        buffer.Replace(change.Pos, change.RemovedLen,
                       pool.mid(change.InsertedAt, change.InsertedLen));
    } else {
        buffer.Replace(change.Pos, change.InsertedLen,
                       pool.mid(change.RemovedAt, change.RemovedLen));
    }
}

} // namespace

struct TEditHistory::TState {
    std::vector<TStep> Steps;
    std::size_t Current = 0; // steps applied
    int Depth = 0;
    bool GroupOpen = false; // the open group has its step already
    bool InRun = false;
    qsizetype RunEnd = 0;
    bool CleanKnown = true;
    std::size_t CleanIndex = 0;
    std::uint64_t CleanSerial = 0;
    std::uint64_t NextSerial = 1;

    void Record(TTextBuffer& buffer, qsizetype pos, qsizetype length, QStringView text,
                QString* owned, bool typing, qsizetype anchor, qsizetype caret);
};

TEditHistory::TEditHistory() : F(std::make_unique<TState>()) {}

TEditHistory::~TEditHistory() = default;

// `owned`, when given, holds `text` and may be moved into the buffer.
void TEditHistory::TState::Record(TTextBuffer& buffer, qsizetype pos, qsizetype length,
                                  QStringView text, QString* owned, bool typing, qsizetype anchor,
                                  qsizetype caret) {
    TState& s = *this;
    if (s.Current < s.Steps.size()) {
        if (s.CleanIndex > s.Current) {
            s.CleanKnown = false;
        }
        s.Steps.erase(s.Steps.begin() + static_cast<std::ptrdiff_t>(s.Current), s.Steps.end());
    }
    const bool continuesRun =
        s.Depth == 0 && typing && s.InRun && length == 0 && pos == s.RunEnd && s.Current > 0;
    const bool joins = (s.Depth > 0 && s.GroupOpen) || continuesRun;
    if (!joins) {
        TStep step;
        step.AnchorBefore = anchor;
        step.CaretBefore = caret;
        s.Steps.push_back(std::move(step));
        ++s.Current;
        s.GroupOpen = s.Depth > 0;
    }
    TStep& step = s.Steps[s.Current - 1];
    const qsizetype inserted = text.size();

    if (owned != nullptr ||
        (pos == 0 && length == buffer.Length() && length >= TEditHistory::kWholeUnits)) {
        TChange change{pos, 0, length, 0, inserted, static_cast<int>(step.Wholes.size())};
        step.Wholes.push_back(buffer.Take());
        buffer.Assign(owned != nullptr ? std::move(*owned) : text.toString());
        step.Changes.push_back(change);
    } else if (TChange* last = step.Changes.empty() ? nullptr : &step.Changes.back();
               continuesRun && last != nullptr && last->Whole < 0 &&
               last->InsertedAt + last->InsertedLen == step.Pool.size() &&
               last->Pos + last->InsertedLen == pos) {
        // Typing extends the run's one change rather than adding one per key.
        step.Pool.append(text);
        last->InsertedLen += inserted;
        buffer.Insert(pos, text);
    } else {
        TChange change{pos, step.Pool.size(), length, step.Pool.size() + length, inserted, -1};
        if (step.Pool.isEmpty()) {
            step.Pool.reserve(length + inserted); // exactly: a big paste would round up to 2^n
        }
        step.Pool.resize(change.RemovedAt + length + inserted);
        auto* pool = reinterpret_cast<char16_t*>(step.Pool.data());
        buffer.CopyTo(pos, length, pool + change.RemovedAt);
        std::copy(text.utf16(), text.utf16() + inserted, pool + change.InsertedAt);
        buffer.Replace(pos, length, QStringView(step.Pool).mid(change.InsertedAt, inserted));
        step.Changes.push_back(change);
    }
    step.Widen(pos, length, inserted);
    step.CaretAfter = pos + inserted;
    step.Serial = s.NextSerial++;
    s.InRun = typing && s.Depth == 0;
    s.RunEnd = pos + inserted;
}

void TEditHistory::Change(TTextBuffer& buffer, qsizetype pos, qsizetype length, QStringView text,
                          bool typing, qsizetype anchor, qsizetype caret) {
    if (length == 0 && text.isEmpty()) {
        return;
    }
    F->Record(buffer, pos, length, text, nullptr, typing, anchor, caret);
}

void TEditHistory::ChangeAll(TTextBuffer& buffer, QString text, qsizetype anchor, qsizetype caret) {
    if (text.isEmpty() && buffer.Length() == 0) {
        return;
    }
    const QStringView view(text);
    F->Record(buffer, 0, buffer.Length(), view, &text, false, anchor, caret);
}

void TEditHistory::BeginStep() {
    TState& s = *F;
    if (s.Depth++ == 0) {
        s.GroupOpen = false;
        s.InRun = false;
    }
}

void TEditHistory::EndStep() {
    TState& s = *F;
    if (s.Depth > 0 && --s.Depth == 0) {
        s.GroupOpen = false;
    }
}

void TEditHistory::BreakRun() {
    F->InRun = false;
}

bool TEditHistory::CanUndo() const {
    return F->Current > 0;
}

bool TEditHistory::CanRedo() const {
    return F->Current < F->Steps.size();
}

std::optional<TEditSpan> TEditHistory::Undo(TTextBuffer& buffer) {
    TState& s = *F;
    s.InRun = false;
    s.GroupOpen = false; // what follows inside an open group starts a new step
    if (s.Current == 0) {
        return std::nullopt;
    }
    TStep& step = s.Steps[--s.Current];
    for (auto it = step.Changes.rbegin(); it != step.Changes.rend(); ++it) {
        Apply(buffer, step, *it, false);
    }
    const qsizetype after = step.SpanHi - step.SpanLo;
    return TEditSpan{step.SpanLo, after, after - step.Delta, step.CaretBefore, step.AnchorBefore};
}

std::optional<TEditSpan> TEditHistory::Redo(TTextBuffer& buffer) {
    TState& s = *F;
    s.InRun = false;
    s.GroupOpen = false;
    if (s.Current == s.Steps.size()) {
        return std::nullopt;
    }
    TStep& step = s.Steps[s.Current++];
    for (TChange& change : step.Changes) {
        Apply(buffer, step, change, true);
    }
    const qsizetype after = step.SpanHi - step.SpanLo;
    return TEditSpan{step.SpanLo, after - step.Delta, after, step.CaretAfter, step.CaretAfter};
}

void TEditHistory::Clear() {
    TState& s = *F;
    s.Steps.clear();
    s.Current = 0;
    s.GroupOpen = false;
    s.InRun = false;
    s.CleanKnown = true;
    s.CleanIndex = 0;
    s.CleanSerial = 0;
}

void TEditHistory::MarkClean() {
    TState& s = *F;
    s.CleanKnown = true;
    s.CleanIndex = s.Current;
    s.CleanSerial = s.Current > 0 ? s.Steps[s.Current - 1].Serial : 0;
    // Typing on after a save starts a step, so that undo can come back here.
    s.InRun = false;
}

bool TEditHistory::IsClean() const {
    const TState& s = *F;
    return s.CleanKnown && s.Current == s.CleanIndex &&
           (s.Current == 0 || s.Steps[s.Current - 1].Serial == s.CleanSerial);
}

} // namespace quillo::document
