// The edit view's input: keys, the mouse, drops and the input method.

#include "editing/LfMemo.h"

#include "document/LineBreaks.h"
#include "editing/view/LineLayouts.h"
#include "editing/view/TextMoves.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextCharFormat>

#include <algorithm>

namespace quillo::editing {

namespace {

// The input method sees this much of a line on each side of the caret.
constexpr qsizetype kSurroundingUnits = 1024;

struct TSurrounding {
    qsizetype From;
    qsizetype To;
};

// The part of the caret's line shown to the input method: a megabyte line is
// not handed over whole. Offsets it sends back count from From.
TSurrounding SurroundingOf(const TTextBuffer& buffer, qsizetype caret) {
    const qsizetype line = buffer.LineOfPos(caret);
    const qsizetype lineStart = buffer.LineStart(line);
    const qsizetype lineEnd = buffer.LineEnd(line);
    qsizetype from = std::max(lineStart, caret - kSurroundingUnits);
    qsizetype to = std::min(lineEnd, caret + kSurroundingUnits);
    if (from > lineStart && QChar::isLowSurrogate(buffer.At(from))) {
        ++from;
    }
    if (to < lineEnd && QChar::isLowSurrogate(buffer.At(to))) {
        ++to;
    }
    return {from, to};
}

// A key's text is typed when it starts with a printable character or a tab;
// judged by code point, so that a character beyond the BMP counts too.
bool IsTypedText(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    char32_t c = text.at(0).unicode();
    if (text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate()) {
        c = QChar::surrogateToUcs4(text.at(0), text.at(1));
    }
    return QChar::isPrint(c) || c == u'\t'; // a lone surrogate is not printable
}

} // namespace

// ---- keyboard ----

bool TLfMemo::IsEditKey(QKeyEvent* e) const {
    static const QKeySequence::StandardKey keys[] = {
        QKeySequence::Copy,
        QKeySequence::Cut,
        QKeySequence::Paste,
        QKeySequence::Undo,
        QKeySequence::Redo,
        QKeySequence::SelectAll,
        QKeySequence::Delete,
        QKeySequence::DeleteEndOfWord,
        QKeySequence::DeleteStartOfWord,
        QKeySequence::MoveToNextChar,
        QKeySequence::MoveToPreviousChar,
        QKeySequence::MoveToNextWord,
        QKeySequence::MoveToPreviousWord,
        QKeySequence::MoveToNextLine,
        QKeySequence::MoveToPreviousLine,
        QKeySequence::MoveToNextPage,
        QKeySequence::MoveToPreviousPage,
        QKeySequence::MoveToStartOfLine,
        QKeySequence::MoveToEndOfLine,
        QKeySequence::MoveToStartOfDocument,
        QKeySequence::MoveToEndOfDocument,
        QKeySequence::SelectNextChar,
        QKeySequence::SelectPreviousChar,
        QKeySequence::SelectNextWord,
        QKeySequence::SelectPreviousWord,
        QKeySequence::SelectNextLine,
        QKeySequence::SelectPreviousLine,
        QKeySequence::SelectNextPage,
        QKeySequence::SelectPreviousPage,
        QKeySequence::SelectStartOfLine,
        QKeySequence::SelectEndOfLine,
        QKeySequence::SelectStartOfDocument,
        QKeySequence::SelectEndOfDocument,
    };
    for (const QKeySequence::StandardKey k : keys) {
        if (e->matches(k)) {
            return true;
        }
    }
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (e->key() == Qt::Key_Y && mods == Qt::ControlModifier) {
        return true;
    }
    const QString text = e->text();
    return (mods == Qt::NoModifier || mods == Qt::GroupSwitchModifier) && IsTypedText(text);
}

bool TLfMemo::HandleKey(QKeyEvent* e) {
    struct TMoveKey {
        QKeySequence::StandardKey Key;
        TMove Move;
        bool Select;
    };
    static const TMoveKey moves[] = {
        {QKeySequence::MoveToNextChar, TMove::NextChar, false},
        {QKeySequence::MoveToPreviousChar, TMove::PrevChar, false},
        {QKeySequence::MoveToNextWord, TMove::NextWord, false},
        {QKeySequence::MoveToPreviousWord, TMove::PrevWord, false},
        {QKeySequence::MoveToNextLine, TMove::NextLine, false},
        {QKeySequence::MoveToPreviousLine, TMove::PrevLine, false},
        {QKeySequence::MoveToNextPage, TMove::NextPage, false},
        {QKeySequence::MoveToPreviousPage, TMove::PrevPage, false},
        {QKeySequence::MoveToStartOfLine, TMove::LineStart, false},
        {QKeySequence::MoveToEndOfLine, TMove::LineEnd, false},
        {QKeySequence::MoveToStartOfDocument, TMove::DocStart, false},
        {QKeySequence::MoveToEndOfDocument, TMove::DocEnd, false},
        {QKeySequence::SelectNextChar, TMove::NextChar, true},
        {QKeySequence::SelectPreviousChar, TMove::PrevChar, true},
        {QKeySequence::SelectNextWord, TMove::NextWord, true},
        {QKeySequence::SelectPreviousWord, TMove::PrevWord, true},
        {QKeySequence::SelectNextLine, TMove::NextLine, true},
        {QKeySequence::SelectPreviousLine, TMove::PrevLine, true},
        {QKeySequence::SelectNextPage, TMove::NextPage, true},
        {QKeySequence::SelectPreviousPage, TMove::PrevPage, true},
        {QKeySequence::SelectStartOfLine, TMove::LineStart, true},
        {QKeySequence::SelectEndOfLine, TMove::LineEnd, true},
        {QKeySequence::SelectStartOfDocument, TMove::DocStart, true},
        {QKeySequence::SelectEndOfDocument, TMove::DocEnd, true},
    };
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->matches(QKeySequence::Copy)) {
        copy();
        return true;
    }
    if (e->matches(QKeySequence::Redo) || (e->key() == Qt::Key_Y && mods == Qt::ControlModifier)) {
        redo();
        return true;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        selectAll();
        return true;
    }
    for (const TMoveKey& m : moves) {
        if (e->matches(m.Key)) {
            MoveCaret(m.Move, m.Select);
            return true;
        }
    }
    if (e->key() == Qt::Key_Up && mods == Qt::ControlModifier) {
        LineScroll(-1);
        return true;
    }
    if (e->key() == Qt::Key_Down && mods == Qt::ControlModifier) {
        LineScroll(1);
        return true;
    }
    if (e->matches(QKeySequence::Delete)) {
        if (HasSelection()) {
            RemoveSelectedText();
        } else {
            DeleteRange(FCaret, view::NextCaretPos(FBuffer, FCaret));
        }
        return true;
    }
    if (e->matches(QKeySequence::DeleteEndOfWord)) {
        DeleteRange(HasSelection() ? FAnchor : FCaret,
                    HasSelection() ? FCaret : view::NextWordPos(FBuffer, FCaret));
        return true;
    }
    if (e->matches(QKeySequence::DeleteStartOfWord)) {
        DeleteRange(HasSelection() ? FAnchor : FCaret,
                    HasSelection() ? FCaret : view::PrevWordPos(FBuffer, FCaret));
        return true;
    }
    if (e->key() == Qt::Key_Backspace && (mods & ~Qt::ShiftModifier) == Qt::NoModifier) {
        if (HasSelection()) {
            RemoveSelectedText();
        } else {
            DeleteRange(view::PrevCodePoint(FBuffer, FCaret), FCaret);
        }
        return true;
    }
    if (e->key() == Qt::Key_Insert && mods == Qt::NoModifier) {
        FOverwrite = !FOverwrite;
        viewport()->update();
        return true;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        InsertTyped(QStringLiteral("\r\n"));
        FDocument.BreakRun(); // a line's typing is undone line by line
        return true;
    }
    const QString text = e->text();
    if (IsTypedText(text) && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        InsertTyped(document::ToCrLf(text));
        return true;
    }
    return false;
}

bool TLfMemo::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEditKey(key) || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Return ||
            key->key() == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        // Tab is text here, not a move of the focus.
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TLfMemo::keyPressEvent(QKeyEvent* event) {
    bool handled = false;
    emit OnKeyDown(event, handled);
    if (!handled) {
        if (event->matches(QKeySequence::Cut)) {
            Cut();
        } else if (event->matches(QKeySequence::Paste)) {
            Paste();
        } else if (event->matches(QKeySequence::Undo)) {
            Undo();
        } else {
            // Every Enter is a plain line break, with or without modifiers.
            const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
            QKeyEvent plain(event->type(), event->key(), Qt::NoModifier, QStringLiteral("\r"));
            QKeyEvent* key = enter && event->modifiers() != Qt::NoModifier ? &plain : event;
            if (!key->text().isEmpty()) {
                emit OnKeyPress(key, handled);
            }
            if (!handled && key->key() != Qt::Key_Backtab && !HandleKey(key)) {
                event->ignore();
            }
        }
    }
    RepaintStrips();
}

void TLfMemo::keyReleaseEvent(QKeyEvent* event) {
    QAbstractScrollArea::keyReleaseEvent(event);
    RepaintStrips();
}

// ---- mouse ----

void TLfMemo::mousePressEvent(QMouseEvent* event) {
    if (FLayouts->Preedit().Active()) {
        QGuiApplication::inputMethod()->commit();
    }
    QClipboard* clipboard = QApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection() && !FReadOnly) {
        // The X11 way: the last selected text goes where the middle button is.
        const qsizetype pos = PosAt(event->position().toPoint());
        SetSelection(pos, pos);
        PasteText(clipboard->text(QClipboard::Selection));
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const qsizetype pos = PosAt(point);
    FMousePoint = point;
    FDragging = true;
    const bool triple =
        FDoubleClickTime >= 0 &&
        static_cast<qint64>(event->timestamp()) - FDoubleClickTime <
            static_cast<qint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval()) &&
        (point - FDoubleClickPoint).manhattanLength() <
            QGuiApplication::styleHints()->startDragDistance() * 2;
    FDoubleClickTime = -1;
    if (triple) {
        const qsizetype line = FBuffer.LineOfPos(pos);
        FDragUnit = TDragUnit::Line;
        FDragFrom = FBuffer.LineStart(line);
        FDragTo = FBuffer.LineNext(line);
        SetSelection(FDragFrom, FDragTo);
    } else if (event->modifiers() & Qt::ShiftModifier) {
        FDragUnit = TDragUnit::Char;
        SetSelection(FAnchor, pos);
    } else {
        FDragUnit = TDragUnit::Char;
        SetSelection(pos, pos);
    }
    FDocument.BreakRun();
    EnsureCaretVisible();
}

void TLfMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const view::TRange word = view::WordAt(FBuffer, PosAt(point));
    FDragUnit = TDragUnit::Word;
    FDragFrom = word.Start;
    FDragTo = word.End;
    FDragging = true;
    FDoubleClickTime = static_cast<qint64>(event->timestamp());
    FDoubleClickPoint = point;
    SetSelection(word.Start, word.End);
    EnsureCaretVisible();
}

void TLfMemo::ExtendDrag(const QPoint& point) {
    const qsizetype pos = PosAt(point);
    switch (FDragUnit) {
    case TDragUnit::Char:
        SetSelection(FAnchor, pos);
        break;
    case TDragUnit::Word: {
        const view::TRange word = view::WordAt(FBuffer, pos);
        if (pos < FDragFrom) {
            SetSelection(FDragTo, word.Start);
        } else {
            SetSelection(FDragFrom, std::max(word.End, FDragTo));
        }
        break;
    }
    case TDragUnit::Line: {
        const qsizetype line = FBuffer.LineOfPos(pos);
        if (pos < FDragFrom) {
            SetSelection(FDragTo, FBuffer.LineStart(line));
        } else {
            SetSelection(FDragFrom, std::max(FBuffer.LineNext(line), FDragTo));
        }
        break;
    }
    }
    EnsureCaretVisible();
}

void TLfMemo::mouseMoveEvent(QMouseEvent* event) {
    if (!FDragging || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    FMousePoint = event->position().toPoint();
    ExtendDrag(FMousePoint);
    // Outside the text the selection goes on growing while the view scrolls.
    if (viewport()->rect().contains(FMousePoint)) {
        FAutoScroll.stop();
    } else if (!FAutoScroll.isActive()) {
        FAutoScroll.start(50, this);
    }
}

void TLfMemo::mouseReleaseEvent(QMouseEvent* event) {
    // The right button opens the menu and the middle one pastes: neither is
    // a click that moves the caret.
    if (event->button() != Qt::LeftButton) {
        return;
    }
    FDragging = false;
    FAutoScroll.stop();
    QClipboard* clipboard = QApplication::clipboard();
    if (HasSelection() && clipboard->supportsSelection()) {
        clipboard->setText(SelText(), QClipboard::Selection);
    }
    emit OnClick();
}

void TLfMemo::contextMenuEvent(QContextMenuEvent* event) {
    if (FPopupMenu != nullptr) {
        FPopupMenu->exec(event->globalPos());
        return;
    }
    QMenu menu(this);
    const bool writable = !FReadOnly;
    menu.addAction(QStringLiteral("元に戻す(&U)"), this, &TLfMemo::Undo)
        ->setEnabled(writable && CanUndo());
    menu.addAction(QStringLiteral("やり直し(&R)"), this, &TLfMemo::redo)
        ->setEnabled(writable && CanRedo());
    menu.addSeparator();
    menu.addAction(QStringLiteral("切り取り(&T)"), this, &TLfMemo::Cut)
        ->setEnabled(writable && HasSelection());
    menu.addAction(QStringLiteral("コピー(&C)"), this, &TLfMemo::copy)->setEnabled(HasSelection());
    menu.addAction(QStringLiteral("貼り付け(&P)"), this, &TLfMemo::Paste)->setEnabled(writable);
    menu.addAction(QStringLiteral("削除(&D)"), this, &TLfMemo::RemoveSelectedText)
        ->setEnabled(writable && HasSelection());
    menu.addSeparator();
    menu.addAction(QStringLiteral("すべて選択(&A)"), this, &TLfMemo::selectAll)
        ->setEnabled(!IsEmpty());
    menu.exec(event->globalPos());
}

void TLfMemo::dragEnterEvent(QDragEnterEvent* event) {
    // Files dropped on the view are the window's to open, not text to insert.
    if (event->mimeData()->hasUrls() || !event->mimeData()->hasText() || FReadOnly) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TLfMemo::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls() || !event->mimeData()->hasText() || FReadOnly) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TLfMemo::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls() || !event->mimeData()->hasText() || FReadOnly) {
        event->ignore();
        return;
    }
    const qsizetype pos = PosAt(event->position().toPoint());
    SetSelection(pos, pos);
    PasteText(event->mimeData()->text());
    event->acceptProposedAction();
}

void TLfMemo::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
    viewport()->update();
}

void TLfMemo::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    FBlink.stop();
    FCaretShown = false;
    viewport()->update();
}

// ---- input method ----

QString TLfMemo::PreeditText() const {
    return FLayouts->Preedit().Active() ? FLayouts->Preedit().Text : QString();
}

void TLfMemo::UpdateInputMethod() {
    if (hasFocus()) {
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    }
}

void TLfMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (FReadOnly) {
        event->ignore();
        return;
    }
    const bool hadPreedit = FLayouts->Preedit().Active();
    // Selection attributes count from the text the input method was last shown.
    const qsizetype origin = SurroundingOf(FBuffer, FCaret).From;
    FLayouts->SetPreedit({});
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        qsizetype from = SelStart();
        qsizetype to = std::max(FAnchor, FCaret);
        if (event->replacementLength() > 0 || event->replacementStart() != 0) {
            // Relative to the caret: the input method takes back text it gave.
            from = std::clamp<qsizetype>(FCaret + event->replacementStart(), 0, FBuffer.Length());
            to = std::clamp<qsizetype>(from + event->replacementLength(), from, FBuffer.Length());
            // A break is taken back whole: half of it would leave a lone CR or LF.
            from = view::SnapToCaret(FBuffer, from);
            if (view::SnapToCaret(FBuffer, to) != to) {
                ++to;
            }
        }
        const QString text = document::ToCrLf(event->commitString());
        if (Fits(to - from, text.size())) {
            Edit(from, to - from, text, true, from + text.size());
        }
    }
    for (const QInputMethodEvent::Attribute& a : event->attributes()) {
        if (a.type == QInputMethodEvent::Selection) {
            // Also with a pre-edit, which then stands at the new caret.
            SetSelection(origin + a.start, origin + a.start + a.length);
        }
    }
    view::TPreedit preedit;
    if (!event->preeditString().isEmpty()) {
        preedit.Pos = FCaret;
        preedit.Text = event->preeditString();
        preedit.Cursor = static_cast<int>(preedit.Text.size());
        for (const QInputMethodEvent::Attribute& a : event->attributes()) {
            if (a.type == QInputMethodEvent::Cursor) {
                preedit.Cursor = std::clamp(a.start, 0, static_cast<int>(preedit.Text.size()));
                preedit.CursorVisible = a.length != 0;
            } else if (a.type == QInputMethodEvent::TextFormat) {
                const QTextCharFormat f = a.value.value<QTextFormat>().toCharFormat();
                if (f.isValid()) {
                    QTextLayout::FormatRange range;
                    range.start = a.start;
                    range.length = a.length;
                    range.format = f;
                    preedit.Formats.append(range);
                }
            }
        }
        if (preedit.Formats.isEmpty()) {
            QTextLayout::FormatRange range;
            range.start = 0;
            range.length = static_cast<int>(preedit.Text.size());
            range.format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
            preedit.Formats.append(range);
        }
    }
    FLayouts->SetPreedit(preedit);
    if (preedit.Active() || hadPreedit) {
        const qsizetype row = FBuffer.LineOfPos(FCaret) - FirstLine();
        viewport()->update(0, static_cast<int>(row) * FLineHeight, viewport()->width(),
                           FLineHeight);
        if (preedit.Active()) {
            FDocument.BreakRun();
            EnsureCaretVisible();
        }
    }
    RestartBlink();
    UpdateInputMethod();
    event->accept();
}

QVariant TLfMemo::inputMethodQuery(Qt::InputMethodQuery query) const {
    const auto [from, to] = SurroundingOf(FBuffer, FCaret);
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled() && !FReadOnly;
    case Qt::ImCursorRectangle:
        return QRectF(CaretRect().translated(viewport()->geometry().topLeft()));
    case Qt::ImAnchorRectangle: {
        const qsizetype anchorLine = FBuffer.LineOfPos(FAnchor);
        const qreal x = FLayouts->X(FAnchor) - horizontalScrollBar()->value();
        const QRectF r(x, qreal(anchorLine - FirstLine()) * FLineHeight, 1, FLineHeight);
        return r.translated(viewport()->geometry().topLeft());
    }
    case Qt::ImFont:
        return font();
    case Qt::ImSurroundingText:
        return FBuffer.Mid(from, to - from);
    case Qt::ImCursorPosition:
        return static_cast<int>(FCaret - from);
    case Qt::ImAnchorPosition:
        return static_cast<int>(std::clamp(FAnchor, from, to) - from);
    case Qt::ImAbsolutePosition:
        return static_cast<qlonglong>(FCaret);
    case Qt::ImTextBeforeCursor:
        return FBuffer.Mid(from, FCaret - from);
    case Qt::ImTextAfterCursor:
        return FBuffer.Mid(FCaret, to - FCaret);
    case Qt::ImCurrentSelection: {
        const qsizetype a = SelStart();
        return FBuffer.Mid(a, std::min<qsizetype>(SelLength(), kSurroundingUnits * 4));
    }
    case Qt::ImMaximumTextLength:
        return QVariant();
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhMultiLine);
    case Qt::ImReadOnly:
        return FReadOnly;
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

} // namespace quillo::editing
