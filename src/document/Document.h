#pragma once

// One open document: its text with the undo history, whether it is modified,
// and where it comes from (the file, the file's code, the backup slot that
// keeps it safe).  Views show it and the window wires commands to it; no other
// class keeps a copy of this state.
//
// Every change of the text goes through the operations below and is raised
// once as Changed, after the storage holds the new text.  The text model: one
// UTF-16 string whose lines end in CR LF; a position is an index into it.

#include "document/EditHistory.h"
#include "document/TextBuffer.h"
#include "platform/FileStamp.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <stdexcept>

namespace quillo::backup {
class TBackupSlots;
}

namespace quillo::document {

// Raised when a whole text cannot be taken by the document.
class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A selection as the view keeps it: the anchor and the caret.
struct TSelection {
    qsizetype Anchor = 0;
    qsizetype Caret = 0;
};

// One change of the text: [Pos, Pos + Removed) became Added units.
struct TTextChange {
    qsizetype Pos = 0;
    qsizetype Removed = 0;
    qsizetype Added = 0;
    qsizetype LinesBefore = 0; // the line count before the change
    // Where the selection goes, when the change decides it (an undo, a redo,
    // an edit made at the caret); otherwise views move theirs along.
    std::optional<TSelection> Selection;
    // A new text altogether (a load): no history, the caret at the start.
    bool Reset = false;
};

class TDocument : public QObject {
    Q_OBJECT

public:
    // The most units a text may have.
    static constexpr qsizetype kMaxUnits = qsizetype{1} << 30;
    // The name of a document that has no file yet.
    static QString UntitledName();

    explicit TDocument(QObject* parent = nullptr);
    ~TDocument() override;

    // ---- the text ----
    const TTextBuffer& Buffer() const { return FBuffer; }
    // The whole text without a copy; valid until the next change.
    QStringView View() const { return FBuffer.View(); }
    qsizetype Length() const { return FBuffer.Length(); }
    // Raises EInvalidOperation when a text of `units` would pass kMaxUnits.
    static void CheckLimit(qsizetype units);

    // Replaces [pos, pos + length) by `text` (CR LF breaks already) and
    // records it; `typing` lets it join the typing run before it.  `before` is
    // the selection to restore when it is undone, `after` where it goes now.
    void Replace(qsizetype pos, qsizetype length, QStringView text, bool typing, TSelection before,
                 std::optional<TSelection> after);
    // Replaces the whole text by `text` (its breaks become CR LF) as one undo
    // step holding only the part that differs; nothing happens when the text
    // is the same.
    void SetText(const QString& text, TSelection before);
    // Takes a freshly read text: no undo history, not modified.  A string
    // moved in is taken over without a copy.  When it equals the text held,
    // the text stays and no change is raised, only HistoryCleared.
    void Load(QString text);

    // Changes between BeginStep and EndStep are one undo step.
    void BeginStep();
    void EndStep();
    // Ends the typing run: the next typed character starts a step of its own.
    void BreakRun();
    bool CanUndo() const { return FHistory.CanUndo(); }
    bool CanRedo() const { return FHistory.CanRedo(); }
    // Each raises Changed with the selection the step had.
    std::optional<TEditSpan> Undo();
    std::optional<TEditSpan> Redo();
    // Readies the storage for an edit at `pos` (see TTextBuffer::Prepare).
    void PrepareEdit(qsizetype pos) { FBuffer.Prepare(pos); }

    bool Modified() const { return FForcedModified || !FHistory.IsClean(); }
    // False marks the text as saved; true marks it modified until the next save.
    void SetModified(bool value);

    // ---- where it comes from ----
    // The file's full path, or UntitledName() while there is none.
    const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& path);
    bool IsUntitled() const;
    // The file's character code (a code-page number; 0 when detection could not tell).
    int CodePage() const { return FCodePage; }
    void SetCodePage(int code);
    // What the file looked like on disk when this document last read or
    // wrote it; another stamp there now means another program has been at it.
    const platform::TFileStamp& DiskStamp() const { return FDiskStamp; }
    void SetDiskStamp(const platform::TFileStamp& stamp) { FDiskStamp = stamp; }
    // The crash-recovery backup slot that keeps this document, shared with
    // the other running copies: its number (0 while none is held) and file.
    backup::TBackupSlots& BackupSlot() { return *FBackupSlot; }
    int BackupNum() const;
    QString BackupFile() const;
    // Writes the text to the slot's backup file now and records the slot;
    // false when a live copy held the bookkeeping's lock, so that only the
    // file was written (see backup::TBackupSlots::WriteBackup).
    bool WriteBackup();
    // The same when the process is about to end: waits a little longer for
    // the lock before it writes the file alone.
    bool WriteBackupBeforeEnd();

signals:
    void Changed(const quillo::document::TTextChange& change);
    void ModifiedChanged(bool modified);
    // The history was emptied while the text stayed (a load of the same text).
    void HistoryCleared();
    // The file name or the code changed.
    void FileChanged();

private:
    void Raise(TTextChange change);
    void NoteModified();

    TTextBuffer FBuffer;
    TEditHistory FHistory;
    bool FForcedModified = false;
    bool FLastModified = false;
    QString FFileName;
    int FCodePage = 932;
    platform::TFileStamp FDiskStamp;
    std::unique_ptr<backup::TBackupSlots> FBackupSlot;
};

} // namespace quillo::document
