// The edit view's face for screen readers.
#include "editing/view/MemoAccessible.h"

#include "editing/LfMemo.h"

#include <QScrollBar>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace quillo::editing::view {

namespace {

// More than this is not handed over as the view's value: a reader asks for
// lines and pieces, and a whole large document would cost a copy per query.
constexpr qsizetype kMaxValueUnits = 1 << 20;

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* memo = qobject_cast<TLfMemo*>(object)) {
        return new TMemoAccessible(memo);
    }
    return nullptr;
}

bool IsHigh(QChar c) {
    return c.isHighSurrogate();
}

} // namespace

TMemoAccessible::TMemoAccessible(TLfMemo* memo)
    : QAccessibleWidget(memo, QAccessible::EditableText) {}

void TMemoAccessible::Follow(TLfMemo& memo) {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
    QObject::connect(&memo, &TLfMemo::cursorPositionChanged, &memo, [m = &memo] {
        if (Listening()) {
            QAccessibleTextCursorEvent event(m, int(m->Selection().Caret));
            Tell(&event);
        }
    });
    QObject::connect(&memo, &TLfMemo::selectionChanged, &memo, [m = &memo] {
        if (Listening()) {
            const auto s = m->Selection();
            QAccessibleTextSelectionEvent event(m, int(std::min(s.Anchor, s.Caret)),
                                                int(std::max(s.Anchor, s.Caret)));
            Tell(&event);
        }
    });
    QObject::connect(&memo, &TLfMemo::ContentsChanged, &memo,
                     [m = &memo](qsizetype pos, qsizetype removed, qsizetype added) {
                         if (!Listening()) {
                             return;
                         }
                         if (removed > 0) {
                             // The removed text is gone; its length is what a reader needs.
                             QAccessibleTextRemoveEvent event(m, int(pos),
                                                              QString(removed, QChar(u' ')));
                             Tell(&event);
                         }
                         if (added > 0) {
                             QAccessibleTextInsertEvent event(
                                 m, int(pos), m->TextView().mid(pos, added).toString());
                             Tell(&event);
                         }
                     });
}

TLfMemo* TMemoAccessible::Memo() const {
    return static_cast<TLfMemo*>(object());
}

void* TMemoAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    if (type == QAccessible::EditableTextInterface) {
        return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TMemoAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.multiLine = true;
    s.editable = !Memo()->ReadOnly();
    s.readOnly = Memo()->ReadOnly();
    s.selectableText = true;
    return s;
}

QString TMemoAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value) {
        const QStringView all = Memo()->TextView();
        return all.size() <= kMaxValueUnits ? all.toString() : QString();
    }
    return QAccessibleWidget::text(t);
}

void TMemoAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const auto s = Memo()->Selection();
    if (selectionIndex == 0 && s.Anchor != s.Caret) {
        *startOffset = int(std::min(s.Anchor, s.Caret));
        *endOffset = int(std::max(s.Anchor, s.Caret));
    }
}

int TMemoAccessible::selectionCount() const {
    return Memo()->HasSelection() ? 1 : 0;
}

void TMemoAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void TMemoAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) {
        Memo()->SetSelStart(Memo()->Selection().Caret);
    }
}

void TMemoAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0) {
        return;
    }
    const qsizetype length = Memo()->TextLengthUnits();
    const qsizetype from = std::clamp<qsizetype>(std::min(startOffset, endOffset), 0, length);
    const qsizetype to = std::clamp<qsizetype>(std::max(startOffset, endOffset), 0, length);
    Memo()->SetSelStart(from);
    Memo()->SetSelLength(to - from);
}

int TMemoAccessible::cursorPosition() const {
    return int(Memo()->Selection().Caret);
}

void TMemoAccessible::setCursorPosition(int position) {
    Memo()->SetSelStart(std::clamp<qsizetype>(position, 0, Memo()->TextLengthUnits()));
    Memo()->ScrollCaret();
}

QString TMemoAccessible::text(int startOffset, int endOffset) const {
    const QStringView all = Memo()->TextView();
    const qsizetype from = std::clamp<qsizetype>(startOffset, 0, all.size());
    const qsizetype to = std::clamp<qsizetype>(endOffset, from, all.size());
    return all.mid(from, to - from).toString();
}

void TMemoAccessible::Piece(int offset, QAccessible::TextBoundaryType boundary, int* start,
                            int* end) const {
    const TLfMemo& memo = *Memo();
    const QStringView all = memo.TextView();
    const qsizetype length = all.size();
    const qsizetype pos = std::clamp<qsizetype>(offset, 0, length);
    if (boundary == QAccessible::NoBoundary) {
        *start = 0;
        *end = int(length);
        return;
    }
    // Every other piece lies within the text line: only that line is looked at.
    const qsizetype line = memo.LineFromChar(pos);
    const qsizetype lineStart = memo.LineIndex(line);
    const qsizetype lineEnd = lineStart + memo.LineLength(line);
    qsizetype nextLine = memo.LineIndex(line + 1);
    if (nextLine < 0) {
        nextLine = length;
    }
    switch (boundary) {
    case QAccessible::CharBoundary: {
        qsizetype to = std::min(pos + 1, length);
        if (pos < length && IsHigh(all[pos]) && to < length && all[to].isLowSurrogate()) {
            ++to;
        } else if (pos >= lineEnd && pos < nextLine) {
            to = nextLine; // the line break is one character
        }
        *start = int(pos);
        *end = int(to);
        return;
    }
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary: {
        const QString text = all.mid(lineStart, lineEnd - lineStart).toString();
        QTextBoundaryFinder finder(boundary == QAccessible::WordBoundary
                                       ? QTextBoundaryFinder::Word
                                       : QTextBoundaryFinder::Sentence,
                                   text);
        const qsizetype inLine = std::min(pos, lineEnd) - lineStart;
        finder.setPosition(inLine);
        qsizetype from = finder.isAtBoundary() ? inLine : finder.toPreviousBoundary();
        finder.setPosition(inLine);
        qsizetype to = finder.toNextBoundary();
        if (from < 0) {
            from = 0;
        }
        if (to < 0) {
            to = text.size();
        }
        *start = int(lineStart + from);
        *end = int(lineStart + to);
        return;
    }
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:
    default:
        // A text line with its break, as a single-line reader expects it.
        *start = int(lineStart);
        *end = int(nextLine);
        return;
    }
}

QString TMemoAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                      int* startOffset, int* endOffset) const {
    Piece(offset, boundaryType, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString TMemoAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int* startOffset, int* endOffset) const {
    int start = 0;
    int end = 0;
    Piece(offset, boundaryType, &start, &end);
    if (start <= 0) {
        *startOffset = *endOffset = 0;
        return QString();
    }
    Piece(start - 1, boundaryType, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString TMemoAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    int start = 0;
    int end = 0;
    Piece(offset, boundaryType, &start, &end);
    if (end >= characterCount()) {
        *startOffset = *endOffset = characterCount();
        return QString();
    }
    Piece(end, boundaryType, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

int TMemoAccessible::characterCount() const {
    return int(Memo()->TextLengthUnits());
}

QRect TMemoAccessible::characterRect(int offset) const {
    const TLfMemo* memo = Memo();
    const QRect inView = memo->CharRect(offset);
    return QRect(memo->viewport()->mapToGlobal(inView.topLeft()), inView.size());
}

int TMemoAccessible::offsetAtPoint(const QPoint& point) const {
    const TLfMemo* memo = Memo();
    const QPoint inView = memo->viewport()->mapFromGlobal(point);
    if (!memo->viewport()->rect().contains(inView)) {
        return -1;
    }
    return int(memo->PosAt(inView));
}

void TMemoAccessible::scrollToSubstring(int startIndex, int endIndex) {
    setSelection(0, startIndex, endIndex);
}

QString TMemoAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    // One font and colour for the whole text.
    (void)offset;
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

void TMemoAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void TMemoAccessible::insertText(int offset, const QString& text) {
    replaceText(offset, offset, text);
}

void TMemoAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    if (Memo()->ReadOnly()) {
        return;
    }
    // Through the selection, as a user's edit: undoable, with the view's checks.
    setSelection(0, startOffset, endOffset);
    Memo()->SetSelText(text);
}

} // namespace quillo::editing::view
