#pragma once

// Multi-level undo and redo over a TTextBuffer.  A step is one or more
// changes undone together: a whole-text replacement, a Replace All, a paste,
// or a run of typed characters (typing joins the step before it while the
// characters follow one another; a move of the caret, a line break after
// a word or any other change ends the run).

#include <QString>

#include <memory>
#include <optional>

namespace quillo::document {

class TTextBuffer;

// What a step did to the text, for placing the caret after undo or redo and
// for telling the view which part changed.
struct TEditSpan {
    qsizetype Pos = 0;      // first changed position
    qsizetype Removed = 0;  // units removed there
    qsizetype Inserted = 0; // units inserted there
    qsizetype Caret = 0;    // where the caret goes
    qsizetype Anchor = 0;   // other end of the selection to restore (== Caret: none)
};

class TEditHistory {
public:
    // A change of the whole text at least this long is swapped in and out of
    // the buffer instead of copied.
    static constexpr qsizetype kWholeUnits = qsizetype{1} << 16;

    TEditHistory();
    ~TEditHistory();

    // Replaces [pos, pos + length) of the buffer by `text` and records it.
    // `typing` marks one typed character (or an input-method commit) that may
    // join the run before it: it joins when it removes nothing and lands right
    // after the run's last insertion; typed over a selection it starts a run.
    // `anchor`/`caret` are the selection before the change, restored by Undo.
    void Change(TTextBuffer& buffer, qsizetype pos, qsizetype length, QStringView text, bool typing,
                qsizetype anchor, qsizetype caret);

    // Replaces the whole text by `text`, taking its storage, as one step; the
    // old text moves into the history uncopied.  For Replace All and the
    // commands that rewrite the whole document.
    void ChangeAll(TTextBuffer& buffer, QString text, qsizetype anchor, qsizetype caret);

    // Changes between BeginStep and EndStep (nesting allowed) are one step.
    void BeginStep();
    void EndStep();
    // Ends the current typing run, so that the next typed character starts a step.
    void BreakRun();

    bool CanUndo() const;
    bool CanRedo() const;
    // Undoes or redoes one step on the buffer; nothing when there is none.
    std::optional<TEditSpan> Undo(TTextBuffer& buffer);
    std::optional<TEditSpan> Redo(TTextBuffer& buffer);

    // Forgets every step (a freshly loaded text, which counts as clean).
    void Clear();
    // The saved state: IsClean() is true while the text is where MarkClean left it.
    void MarkClean();
    bool IsClean() const;

private:
    struct TState;
    std::unique_ptr<TState> F;
};

} // namespace quillo::document
