#include "document/Document.h"

#include "backup/BackupFile.h"
#include "backup/BackupSlots.h"
#include "backup/BackupStrings.h"
#include "document/LineBreaks.h"

#include <algorithm>
#include <iterator>

namespace quillo::document {

// Every text the view can hold has a backup that can be read back.
static_assert(backup::kMaxBackupBytes == 2 * TDocument::kMaxUnits + 2);

QString TDocument::UntitledName() {
    return backup::strings::Untitled;
}

TDocument::TDocument(QObject* parent)
    : QObject(parent), FFileName(UntitledName()),
      FBackupSlot(std::make_unique<backup::TBackupSlots>()) {}

TDocument::~TDocument() = default;

void TDocument::CheckLimit(qsizetype units) {
    if (units > kMaxUnits) {
        throw EInvalidOperation("文字列の大きさがメモの制限を越えました");
    }
}

void TDocument::Raise(TTextChange change) {
    emit Changed(change);
    NoteModified();
}

void TDocument::NoteModified() {
    const bool modified = Modified();
    if (modified != FLastModified) {
        FLastModified = modified;
        emit ModifiedChanged(modified);
    }
}

void TDocument::Replace(qsizetype pos, qsizetype length, QStringView text, bool typing,
                        TSelection before, std::optional<TSelection> after) {
    if (length == 0 && text.isEmpty()) {
        return;
    }
    CheckLimit(FBuffer.Length() - length + text.size());
    const qsizetype lines = FBuffer.LineCount();
    FHistory.Change(FBuffer, pos, length, text, typing, before.Anchor, before.Caret);
    Raise({pos, length, text.size(), lines, after, false});
}

void TDocument::SetText(const QString& value, TSelection before) {
    CheckLimit(value.size());
    const QString text = ToCrLf(value);
    // Only the part that differs is replaced: a caret outside it stays, and
    // the undo step holds no more than the change.
    const QStringView old = FBuffer.View();
    const qsizetype n = std::min(old.size(), text.size());
    const auto* a = reinterpret_cast<const char16_t*>(old.utf16());
    const auto* b = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype prefix = std::mismatch(a, a + n, b).first - a;
    if (prefix == old.size() && prefix == text.size()) {
        return;
    }
    const auto tail =
        std::mismatch(std::reverse_iterator(a + old.size()), std::reverse_iterator(a + prefix),
                      std::reverse_iterator(b + text.size()), std::reverse_iterator(b + prefix));
    qsizetype suffix = tail.first - std::reverse_iterator(a + old.size());
    // Never split a CR LF or a surrogate pair at either end of the change.
    while (prefix > 0 && (old[prefix - 1] == u'\r' || old[prefix - 1].isHighSurrogate())) {
        --prefix;
    }
    while (suffix > 0 &&
           (old[old.size() - suffix] == u'\n' || old[old.size() - suffix].isLowSurrogate())) {
        --suffix;
    }
    const qsizetype removed = old.size() - prefix - suffix;
    const qsizetype added = text.size() - prefix - suffix;
    FHistory.BreakRun();
    if (old.size() >= TEditHistory::kWholeUnits && removed + added > old.size()) {
        // Most of a big text changes (a Replace All over the whole document):
        // the old text moves into the history as it is instead of being copied.
        const qsizetype lines = FBuffer.LineCount();
        FHistory.ChangeAll(FBuffer, text, before.Anchor, before.Caret);
        Raise({prefix, removed, added, lines, std::nullopt, false});
        return;
    }
    FHistory.BeginStep();
    try {
        Replace(prefix, removed, QStringView(text).mid(prefix, added), false, before, std::nullopt);
    } catch (...) {
        FHistory.EndStep();
        throw;
    }
    FHistory.EndStep();
}

void TDocument::Load(QString text) {
    CheckLimit(text.size());
    text = ToCrLf(text); // the same string when it has only CR LF breaks
    FHistory.Clear();
    FHistory.MarkClean();
    FForcedModified = false;
    if (FBuffer.Equals(text)) {
        // Reopening an unchanged file changes no text: no change is raised.
        emit HistoryCleared();
        NoteModified();
        return;
    }
    const qsizetype oldLength = FBuffer.Length();
    const qsizetype lines = FBuffer.LineCount();
    const qsizetype added = text.size();
    FBuffer.Assign(std::move(text));
    Raise({0, oldLength, added, lines, TSelection{}, true});
}

void TDocument::BeginStep() {
    FHistory.BeginStep();
}

void TDocument::EndStep() {
    FHistory.EndStep();
}

void TDocument::BreakRun() {
    FHistory.BreakRun();
}

std::optional<TEditSpan> TDocument::Undo() {
    const qsizetype lines = FBuffer.LineCount();
    std::optional<TEditSpan> span = FHistory.Undo(FBuffer);
    if (span) {
        Raise({span->Pos, span->Removed, span->Inserted, lines,
               TSelection{span->Anchor, span->Caret}, false});
    }
    return span;
}

std::optional<TEditSpan> TDocument::Redo() {
    const qsizetype lines = FBuffer.LineCount();
    std::optional<TEditSpan> span = FHistory.Redo(FBuffer);
    if (span) {
        Raise({span->Pos, span->Removed, span->Inserted, lines,
               TSelection{span->Anchor, span->Caret}, false});
    }
    return span;
}

void TDocument::SetModified(bool value) {
    FForcedModified = value;
    if (!value) {
        FHistory.MarkClean();
    }
    NoteModified();
}

void TDocument::SetFileName(const QString& path) {
    if (path != FFileName) {
        FFileName = path;
        emit FileChanged();
    }
}

bool TDocument::IsUntitled() const {
    return FFileName.isEmpty() || FFileName == UntitledName();
}

void TDocument::SetCodePage(int code) {
    if (code != FCodePage) {
        FCodePage = code;
        emit FileChanged();
    }
}

int TDocument::BackupNum() const {
    return FBackupSlot->BackupNum();
}

QString TDocument::BackupFile() const {
    return FBackupSlot->BackupFile();
}

bool TDocument::WriteBackup() {
    return FBackupSlot->WriteBackup(View(), FFileName, FCodePage);
}

bool TDocument::WriteBackupBeforeEnd() {
    return FBackupSlot->WriteBackup(View(), FFileName, FCodePage, backup::kEndingLockWait);
}

} // namespace quillo::document
