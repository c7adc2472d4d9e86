#pragma once

// The edit view: shows a document (TDocument) with a line-number gutter on the
// left and a column ruler on top, both composed off screen.  It is also the
// text-model face the commands use: lines end in CR LF and a position is a
// UTF-16 index into the text (a line break counts two).  Only the lines in
// sight are laid out, so the view costs the same on a huge file as on a small
// one.

#include "document/Document.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QRect>
#include <QStaticText>

#include <memory>
#include <optional>

class QMenu;

namespace quillo::editing {

class TLfMemoStrip;
namespace view {
class TLineLayouts;
}

// Column (X) and line (Y) of a position, both 0-based code units.
struct TCaretPos {
    qsizetype X = 0;
    qsizetype Y = 0;
};

using document::EInvalidOperation;

class TLfMemo : public QAbstractScrollArea {
    Q_OBJECT

public:
    // A view of a document of its own.
    explicit TLfMemo(QWidget* owner = nullptr);
    // A view of `document`, which outlives it.
    explicit TLfMemo(document::TDocument& document, QWidget* owner = nullptr);
    ~TLfMemo() override;

    document::TDocument& Document() const { return FDocument; }

    // Published properties: setting one only stores it.  Colours and the start
    // number show at the next paint, the gutter width at the next layout.
    int StartLineNo() const { return FStartLineNo; }
    void SetStartLineNo(int value) { FStartLineNo = value; }
    QColor GutterColor() const { return FGutterColor; }
    void SetGutterColor(const QColor& value) { FGutterColor = value; }
    QColor LineNoColor() const { return FLineNoColor; }
    void SetLineNoColor(const QColor& value) { FLineNoColor = value; }
    QColor LineColumnColor() const { return FColumnColor; }
    void SetLineColumnColor(const QColor& value) { FColumnColor = value; }
    int LineNoColumn() const { return FLineNoColumn; }
    void SetLineNoColumn(int value) { FLineNoColumn = value; }

    // Display width of a text in columns (CP932 bytes, tab stops every 8).
    static int TextLength(QStringView value);

    // ---- text model (CR LF positions) ----
    QString Text() const;
    // The whole text without a copy, for reading it through (search, saving);
    // valid until the next change.
    QStringView TextView() const { return FDocument.View(); }
    // Replaces the whole text as one undoable edit; every line break becomes
    // CR LF; nothing happens (no change event) when the text is the same.
    void SetText(const QString& value);
    // Replaces the whole text as a freshly loaded document: no undo history,
    // not modified.  A string moved in is taken over without a copy.  The
    // same text again is kept as it is: no change event, the caret stays.
    void LoadText(QString value);
    qsizetype LinesCount() const;                    // an empty last line is not counted
    QString Line(qsizetype i) const;                 // whole line, no break; empty past the end
    void SetLine(qsizetype i, const QString& value); // keeps the line's break
    // The selection with its direction: where it was started and the caret.
    document::TSelection Selection() const { return {FAnchor, FCaret}; }
    qsizetype SelStart() const;
    void SetSelStart(qsizetype value); // caret there, empty selection, no scroll
    qsizetype SelLength() const;
    void SetSelLength(qsizetype value); // selects from SelStart on, scrolls the caret into view
    QString SelText() const;
    void SetSelText(const QString& value);       // replaces the selection, caret after it
    TCaretPos CaretPos() const;                  // of the selection's end
    qsizetype LineFromChar(qsizetype pos) const; // pos < 0: the caret's line
    qsizetype LineIndex(qsizetype line) const;   // line < 0: the caret's line; -1 past the end
    qsizetype LineLength(qsizetype line) const;  // length of a line without its break
    qsizetype GetLineCount() const;              // at least 1; an empty last line counts
    qsizetype TextLengthUnits() const;           // length of Text() without building it
    void LineScroll(int lines);
    void ScrollCaret();
    bool Modified() const;
    void SetModified(bool value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { setReadOnly(value); }

    // Clipboard and undo commands: each raises its event first, while the
    // selection it acts on is still in place.
    void Cut();
    void Paste();
    void Undo();

    // The plain commands, which raise no event.
    void copy();
    void selectAll();
    void undo();
    void redo();
    bool isReadOnly() const { return FReadOnly; }
    void setReadOnly(bool value);
    bool HasSelection() const { return FAnchor != FCaret; }
    void RemoveSelectedText();
    bool CanUndo() const { return FDocument.CanUndo(); }
    bool CanRedo() const { return FDocument.CanRedo(); }
    bool IsEmpty() const { return FBuffer.Length() == 0; }
    bool OverwriteMode() const { return FOverwrite; }

    void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }

    // Redraws both strips at once.
    void RepaintStrips();
    // Asks for both strips to be drawn when next shown.
    void InvalidateStrips();
    // Draws the strips' bitmaps if something changed since they were drawn.
    void EnsureStrips();

    // Geometry of the last layout, for tests and the printing of screens.
    QRect RulerRect() const { return m_FTGutter; }
    QRect GutterRect() const { return m_FRGutter; }
    int LastStartLow() const { return FLastStartLow; }
    const QPixmap& GutterBitmap() const { return m_FMemBitmap; }
    const QPixmap& RulerBitmap() const { return m_FTGutterBitmap; }
    // First ruler column and caret column as computed at the last paint.
    int RulerCaretColumn() const { return FCaretColumn; }

    // Height of a line of text and the caret's rectangle, in viewport pixels.
    int LineHeight() const { return FLineHeight; }
    QRect CaretRect() const;
    // The character at `pos` in viewport coordinates (a thin box at a line's end).
    QRect CharRect(qsizetype pos) const;
    // The caret position nearest to a point of the viewport.
    qsizetype PosAt(const QPoint& viewportPoint) const;
    // The input method's unfinished text, empty when there is none.
    QString PreeditText() const;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void OnCut();
    // Before any paste (the command, a middle click, a drop) with the text
    // that goes in, while the selection it replaces is still in place.
    void OnPaste(const QString& text);
    void OnUndo();
    // Raised on a key going down, before the view acts on it; a handler that
    // sets `handled` keeps the key from the view.
    void OnKeyDown(QKeyEvent* event, bool& handled);
    // Raised on a typed character, before it is inserted; a handler may change
    // the text or set `handled`.
    void OnKeyPress(QKeyEvent* event, bool& handled);
    // A click of the left button (released) in the text.
    void OnClick();

    // Once per change of the text: `removed` units at `pos` were replaced by
    // `added` units.  A whole-text replacement is one change.
    void ContentsChanged(qsizetype pos, qsizetype removed, qsizetype added);
    void textChanged();
    void selectionChanged();
    void cursorPositionChanged();
    void undoAvailable(bool available);
    void modificationChanged(bool modified);
    void readOnlyChanged(bool readOnly);

protected:
    virtual void PaintRGutter(QPainter& canvas);
    virtual void PaintTGutter(QPainter& canvas);
    virtual void PaintLineNo(QPainter& canvas);
    virtual void PaintLineColumn(QPainter& canvas);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void timerEvent(QTimerEvent* event) override;

private:
    enum class TMove {
        NextChar,
        PrevChar,
        NextWord,
        PrevWord,
        NextLine,
        PrevLine,
        NextPage,
        PrevPage,
        LineStart,
        LineEnd,
        DocStart,
        DocEnd
    };
    enum class TDragUnit { Char, Word, Line };

    void Layout(bool firstPaint);
    void PaintStrips();
    QRect ClientRect() const;

    // ---- editing ----
    TLfMemo(std::unique_ptr<document::TDocument> own, document::TDocument* shown, QWidget* owner);

    // Replaces [pos, pos + length) by text as one change (joined to a typing
    // run when `typing`), then puts the caret at `caret` (or, when negative,
    // moves the old selection along with the text).
    void Edit(qsizetype pos, qsizetype length, const QString& text, bool typing,
              qsizetype caret = -1);
    // The caret, caches and signals after the document's text changed.
    void DocumentChanged(const document::TTextChange& change);
    // The same after a new text was loaded: back to the start, nothing cached.
    void Reloaded(const document::TTextChange& change);
    // Caches, scroll bars and signals after the buffer changed by whatever route.
    void TextChanged(qsizetype pos, qsizetype removed, qsizetype added, qsizetype oldLines);
    void InsertTyped(const QString& text);
    // False (and a beep) when the text would grow past what the document holds.
    bool Fits(qsizetype removed, qsizetype added);
    void DeleteRange(qsizetype from, qsizetype to);
    void EmitStateSignals();
    // The selection and state signals and the input method's update after a change.
    void SelectionSettled(qsizetype oldAnchor, qsizetype oldCaret);

    // ---- caret and selection ----
    void SetSelection(qsizetype anchor, qsizetype caret, bool keepColumn = false);
    // Repaints what a new selection or caret changes on screen: the whole
    // text area when a selection is or was shown, else the caret's two rows.
    void UpdateSelectionRows(bool hadSelection, qsizetype oldCaretLine);
    void PrepareEditAtCaret();
    void MoveCaret(TMove move, bool select);
    qsizetype MoveTarget(TMove move);
    void EnsureCaretVisible();
    bool HandleKey(QKeyEvent* event);
    bool IsEditKey(QKeyEvent* event) const;
    void ExtendDrag(const QPoint& point);
    void RestartBlink();
    void UpdateScrollBars();
    void NoteWidth(qreal width);
    int FirstLine() const;
    int VisibleRows() const;
    int Columns(qsizetype lineStart, qsizetype pos);
    void UpdateInputMethod();
    // Raises OnPaste, then puts the text in place of the selection.
    void PasteText(const QString& text);
    void InsertFromMime(const QString& text);

    QPixmap m_FMemBitmap;     // line-number gutter
    QPixmap m_FTGutterBitmap; // column ruler
    QRect m_FTGutter;
    QRect m_FRGutter;
    bool m_FFirstPaint = true;
    int FStartLineNo = 0;
    QColor FLineNoColor{0x80, 0x80, 0x80};
    QColor FGutterColor{0xEE, 0xEE, 0xFF};
    QColor FColumnColor{0x80, 0x80, 0x80};
    int FLineNoColumn = 6;
    int FLastStartLow = 0;
    int FCaretColumn = 0;
    QMenu* FPopupMenu = nullptr;
    bool FStripsDirty = true;
    // Texts the strips draw again and again, prepared once.
    struct TLabelCache {
        std::optional<bool> Uniform; // every ruler label advances exactly one cell
        QFont UniformFont;
        QFont NumberFont;
        QHash<qint64, QStaticText> Numbers;
        bool UniformLabels(const QFont& font, qreal cell);
        const QStaticText& Number(qint64 number, const QFont& font);
    } FLabels;
    TLfMemoStrip* FGutterStrip = nullptr;
    TLfMemoStrip* FRulerStrip = nullptr;

    // ---- the document and its view ----
    std::unique_ptr<document::TDocument> FOwnDocument; // when it shows a document of its own
    document::TDocument& FDocument;
    const document::TTextBuffer& FBuffer;
    std::unique_ptr<view::TLineLayouts> FLayouts;
    qsizetype FAnchor = 0;
    qsizetype FCaret = 0;
    qreal FDesiredX = -1; // column kept by Up and Down; negative: the caret's own
    bool FReadOnly = false;
    bool FOverwrite = false;
    bool FLastModified = false;
    bool FLastCanUndo = false;
    int FLineHeight = 1;
    qreal FWidest = 0; // widest line seen, for the horizontal scroll bar
    QBasicTimer FBlink;
    bool FCaretShown = true;
    QRect FBlinkRect; // the caret's rectangle when only the blink asked for a paint
    QBasicTimer FAutoScroll;
    QBasicTimer FPrepareEdit; // readies the storage at the caret once the view is idle
    bool FDragging = false;
    TDragUnit FDragUnit = TDragUnit::Char;
    qsizetype FDragFrom = 0; // what the press or double click selected first
    qsizetype FDragTo = 0;
    QPoint FMousePoint;
    qint64 FDoubleClickTime = -1;
    QPoint FDoubleClickPoint;
    // Display columns up to a position, kept for long lines so that the
    // ruler does not count a megabyte line at every key.
    struct TColumnMemo {
        qsizetype LineStart = -1;
        qsizetype Pos = -1;
        int Width = 0;
    };
    TColumnMemo FColumnMemo[4];
    std::size_t FColumnMemoNext = 0;
};

} // namespace quillo::editing
