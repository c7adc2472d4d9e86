#pragma once

// The edit view: a plain-text editor with a line-number gutter on the left and
// a column ruler on top, both composed off screen.  It is also the one place
// that knows QTextDocument: everything else reads and changes the document
// through the text-model operations below, in which lines end in CR LF and a
// position is a UTF-16 index into that text (a line break counts two).

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRect>
#include <QStaticText>
#include <QTextBlock>

#include <optional>
#include <stdexcept>

class QMenu;

namespace quillo::editing {

class TLfMemoStrip;

// Column (X) and line (Y) of a position, both 0-based code units.
struct TCaretPos {
    qsizetype X = 0;
    qsizetype Y = 0;
};

// Raised when a whole text cannot be taken by the view.
class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TLfMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TLfMemo(QWidget* owner = nullptr);
    ~TLfMemo() override;

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
    // Replaces the whole text as one undoable edit; every line break becomes
    // CR LF; nothing happens (no change event) when the text is the same.
    void SetText(const QString& value);
    // Replaces the whole text as a freshly loaded document: no undo history,
    // not modified.
    void LoadText(const QString& value);
    qsizetype LinesCount() const;                    // an empty last line is not counted
    QString Line(qsizetype i) const;                 // whole line, no break; empty past the end
    void SetLine(qsizetype i, const QString& value); // keeps the line's break
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
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool value) { setReadOnly(value); }

    // Clipboard and undo commands: each raises its event first, while the
    // selection it acts on is still in place.
    void Cut();
    void Paste();
    void Undo();

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

signals:
    void OnCut();
    void OnPaste();
    void OnUndo();
    // Raised on a key going down, before the view acts on it; a handler that
    // sets `handled` keeps the key from the view.
    void OnKeyDown(QKeyEvent* event, bool& handled);
    // Raised on a typed character, before it is inserted; a handler may change
    // the text or set `handled`.
    void OnKeyPress(QKeyEvent* event, bool& handled);
    void OnClick();

protected:
    virtual void PaintRGutter(QPainter& canvas);
    virtual void PaintTGutter(QPainter& canvas);
    virtual void PaintLineNo(QPainter& canvas);
    virtual void PaintLineColumn(QPainter& canvas);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void dragEnterEvent(QDragEnterEvent* event) override;

private:
    void Layout(bool firstPaint);
    void PaintStrips();
    QTextBlock BlockOfPos(qsizetype pos) const; // block holding a CR LF position
    qsizetype PosOfBlock(const QTextBlock& block) const;
    qsizetype PosOfCursor(int docPos) const;
    int DocPosOf(qsizetype pos) const;
    QRect ClientRect() const;

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
};

// Turns CR LF, lone CR and lone LF into the view's own line breaks.
QString ToViewBreaks(const QString& text);

} // namespace quillo::editing
