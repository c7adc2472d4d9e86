#include "editing/LfMemo.h"

#include "editing/DisplayWidth.h"

#include <QAbstractTextDocumentLayout>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>

namespace quillo::editing {

// A strip of the view (gutter or ruler): shows its bitmap and nothing else.
class TLfMemoStrip : public QWidget {
public:
    TLfMemoStrip(TLfMemo* memo, const QPixmap& bitmap)
        : QWidget(memo), FMemo(memo), FBitmap(bitmap) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setCursor(Qt::ArrowCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        FMemo->EnsureStrips();
        QPainter p(this);
        p.drawPixmap(0, 0, FBitmap);
    }

private:
    TLfMemo* FMemo;
    const QPixmap& FBitmap;
};

namespace {

constexpr qsizetype kMaxTextUnits = qsizetype{1} << 30;

// CR LF, lone CR and lone LF become '\n'.
QString ToNewlines(const QString& text) {
    if (!text.contains(u'\r')) {
        return text;
    }
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += u'\n';
            if (i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            out += c;
        }
    }
    return out;
}

// Draws a two-pixel etched line (shadow, then highlight) along one side.
void DrawEtchedEdge(QPainter& canvas, const QRect& r, bool right) {
    const QColor shadow(0xA0, 0xA0, 0xA0);
    const QColor light(0xFF, 0xFF, 0xFF);
    if (right) {
        canvas.fillRect(QRect(r.right() - 1, r.top(), 1, r.height()), shadow);
        canvas.fillRect(QRect(r.right(), r.top(), 1, r.height()), light);
    } else {
        canvas.fillRect(QRect(r.left(), r.bottom() - 1, r.width(), 1), shadow);
        canvas.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), light);
    }
}

} // namespace

QString ToViewBreaks(const QString& text) {
    return ToNewlines(text);
}

TLfMemo::TLfMemo(QWidget* owner) : QPlainTextEdit(owner) {
    FGutterStrip = new TLfMemoStrip(this, m_FMemBitmap);
    FRulerStrip = new TLfMemoStrip(this, m_FTGutterBitmap);
    document()->setDocumentMargin(0);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect&, int dy) {
        if (dy != 0) {
            InvalidateStrips();
        }
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { InvalidateStrips(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { InvalidateStrips(); });
    // Setting the margin counts as a change of the document; a new view is not modified.
    document()->setModified(false);
}

TLfMemo::~TLfMemo() = default;

int TLfMemo::TextLength(QStringView value) {
    return DisplayWidth(value);
}

// ---- layout and painting ----

QRect TLfMemo::ClientRect() const {
    // The client area is what the old control called its client: inside the
    // frame, without the scroll bars.
    const QRect c = contentsRect();
    const QRect vp = viewport()->geometry();
    return QRect(0, 0, std::max(0, vp.right() + 1 - c.left()),
                 std::max(0, vp.bottom() + 1 - c.top()));
}

void TLfMemo::Layout(bool firstPaint) {
    const QFontMetrics fm(font());
    const int w0 = fm.horizontalAdvance(u'0');
    const int h0 = fm.height();
    const int gutterWidth = w0 * FLineNoColumn;
    setViewportMargins(gutterWidth + 2, h0 + 4, 0, 0);
    setTabStopDistance(8.0 * QFontMetricsF(font()).horizontalAdvance(u' '));

    const QRect client = ClientRect();
    m_FRGutter = QRect(0, 0, gutterWidth, client.height());
    m_FTGutter = QRect(0, 0, client.width(), h0 + (firstPaint ? 4 : 2));
    m_FMemBitmap = QPixmap(std::max(1, m_FRGutter.width()), std::max(1, client.height()));
    m_FTGutterBitmap = QPixmap(std::max(1, client.width()), std::max(1, m_FTGutter.height()));

    const QPoint origin = contentsRect().topLeft();
    FGutterStrip->setGeometry(QRect(origin, m_FMemBitmap.size()));
    FRulerStrip->setGeometry(origin.x() + gutterWidth, origin.y(),
                             std::max(0, contentsRect().width() - gutterWidth),
                             m_FTGutter.height());
    FGutterStrip->raise();
    FLabels = TLabelCache{};
    InvalidateStrips();
}

void TLfMemo::showEvent(QShowEvent* event) {
    QPlainTextEdit::showEvent(event);
    if (m_FFirstPaint) {
        m_FFirstPaint = false;
        Layout(true);
    }
}

void TLfMemo::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (!m_FFirstPaint) {
        Layout(false);
    }
}

void TLfMemo::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_FFirstPaint) {
        Layout(false);
    }
}

void TLfMemo::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    InvalidateStrips();
}

void TLfMemo::RepaintStrips() {
    PaintStrips();
    FGutterStrip->repaint();
    FRulerStrip->repaint();
}

void TLfMemo::InvalidateStrips() {
    // Drawn when the strips are next shown, once however many changes came.
    FStripsDirty = true;
    FGutterStrip->update();
    FRulerStrip->update();
}

void TLfMemo::EnsureStrips() {
    if (FStripsDirty) {
        PaintStrips();
    }
}

void TLfMemo::PaintStrips() {
    if (m_FMemBitmap.isNull() || m_FTGutterBitmap.isNull() || m_FFirstPaint) {
        return;
    }
    FStripsDirty = false;
    {
        QPainter canvas(&m_FMemBitmap);
        PaintRGutter(canvas);
        canvas.setFont(font());
        PaintLineNo(canvas);
    }
    {
        QPainter canvas(&m_FTGutterBitmap);
        PaintTGutter(canvas);
        canvas.setFont(font());
        PaintLineColumn(canvas);
    }
}

void TLfMemo::PaintRGutter(QPainter& canvas) {
    canvas.fillRect(QRect(QPoint(0, 0), m_FMemBitmap.size()), FGutterColor);
    DrawEtchedEdge(canvas, m_FRGutter, true);
}

void TLfMemo::PaintTGutter(QPainter& canvas) {
    canvas.fillRect(QRect(QPoint(0, 0), m_FTGutterBitmap.size()), FGutterColor);
    DrawEtchedEdge(canvas, m_FTGutter, false);
}

void TLfMemo::PaintLineNo(QPainter& canvas) {
    QFont bold = font();
    bold.setBold(true);
    canvas.setFont(bold);
    canvas.setPen(FLineNoColor);
    const int textTop = viewport()->geometry().top() - contentsRect().top();
    const int right = m_FRGutter.width() - 5;
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF geom = blockBoundingGeometry(block).translated(offset);
        const int top = textTop + qRound(geom.top());
        if (top >= m_FMemBitmap.height()) {
            break;
        }
        const qint64 number = qint64{FStartLineNo} + block.blockNumber();
        const QStaticText& label = FLabels.Number(number, bold);
        const QSizeF size = label.size();
        canvas.drawStaticText(
            QPointF(right - size.width(), top + (geom.height() - size.height()) / 2), label);
    }
}

void TLfMemo::PaintLineColumn(QPainter& canvas) {
    QFont normal = font();
    normal.setBold(false);
    QFont bold = normal;
    bold.setBold(true);
    // Fractional advances, as the text itself is laid out with them, so that
    // the cells stay over their columns however far the line runs.
    const QFontMetricsF fm(normal);
    const qreal w = std::max<qreal>(1.0, fm.horizontalAdvance(u'0'));

    const QTextCursor cursor = textCursor();
    const int selStartDoc = std::min(cursor.anchor(), cursor.position());
    const QTextBlock caretBlock =
        document()->findBlock(std::max(cursor.anchor(), cursor.position()));
    const QTextBlock startBlock = document()->findBlock(selStartDoc);

    // First column shown at the text area's left edge.
    QTextCursor at(document());
    at.setPosition(selStartDoc);
    const QRect caretRect = cursorRect(at);
    const int y = caretRect.center().y();
    const bool atEnd = selStartDoc > 0 && selStartDoc == document()->characterCount() - 1;
    int d = FLastStartLow;
    if (!atEnd && y >= 0 && y < viewport()->height()) {
        const int left = cursorForPosition(QPoint(0, y)).position();
        const int start = caretBlock.position();
        d = left > start ? DisplayWidth(caretBlock.text().left(left - start)) : 0;
    }
    d = std::max(d, 0);
    FLastStartLow = d;

    // Caret column: from the start of the caret's line to SelStart.
    int c0 = 0;
    if (!document()->isEmpty() && startBlock == caretBlock) {
        c0 = DisplayWidth(QStringView(caretBlock.text()).left(selStartDoc - caretBlock.position()));
    }
    FCaretColumn = c0;

    const int cells = static_cast<int>(width() / w);
    const int bottom = m_FTGutter.bottom();
    const QRectF row(3, -1, cells * w, bottom);
    canvas.setPen(FColumnColor);
    canvas.setFont(normal);
    if (FLabels.UniformLabels(normal, w)) {
        // Every label advances exactly one cell: the row is one run of text.
        QString labels(cells, u' ');
        for (int k = 0; k < cells; ++k) {
            if (d + k != c0) {
                labels[k] = RulerLabel(d + k + 1);
            }
        }
        canvas.drawText(row, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, labels);
    } else {
        for (int k = 0; k < cells; ++k) {
            if (d + k != c0) {
                canvas.drawText(QRectF(3 + k * w, -1, w, bottom),
                                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                                QString(RulerLabel(d + k + 1)));
            }
        }
    }
    // The caret's column: an inverse cell.
    if (c0 >= d && c0 < d + cells) {
        const QRectF cell(3 + (c0 - d) * w, -1, w, bottom);
        canvas.fillRect(cell, FColumnColor);
        canvas.setFont(bold);
        canvas.setPen(FGutterColor);
        canvas.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                        QString(RulerLabel(c0 + 1)));
    }
}

// ---- keyboard, mouse and clipboard ----

// ---- cached texts of the strips ----

bool TLfMemo::TLabelCache::UniformLabels(const QFont& font, qreal cell) {
    if (!Uniform || UniformFont != font) {
        UniformFont = font;
        const QFontMetricsF fm(font);
        bool same = true;
        for (const QChar c : QStringLiteral("0123456789.: ")) {
            same = same && qFuzzyCompare(fm.horizontalAdvance(c), cell);
        }
        Uniform = same;
    }
    return *Uniform;
}

const QStaticText& TLfMemo::TLabelCache::Number(qint64 number, const QFont& font) {
    if (NumberFont != font || Numbers.size() > 4096) {
        Numbers.clear();
        NumberFont = font;
    }
    auto it = Numbers.find(number);
    if (it == Numbers.end()) {
        QStaticText text(QString::number(number));
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font);
        it = Numbers.insert(number, text);
    }
    return *it;
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
            // A modified Enter would insert a soft line break, which is no
            // line of the text; every Enter is a plain line break here.
            const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
            QKeyEvent plain(event->type(), event->key(), Qt::NoModifier, QStringLiteral("\r"));
            QKeyEvent* key = enter && event->modifiers() != Qt::NoModifier ? &plain : event;
            if (!key->text().isEmpty()) {
                emit OnKeyPress(key, handled);
            }
            if (!handled) {
                QPlainTextEdit::keyPressEvent(key);
            }
        }
    }
    RepaintStrips();
}

void TLfMemo::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    RepaintStrips();
}

void TLfMemo::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    emit OnClick();
}

void TLfMemo::contextMenuEvent(QContextMenuEvent* event) {
    if (FPopupMenu != nullptr) {
        FPopupMenu->exec(event->globalPos());
    } else {
        QPlainTextEdit::contextMenuEvent(event);
    }
}

void TLfMemo::insertFromMimeData(const QMimeData* source) {
    if (source->hasText()) {
        textCursor().insertText(ToNewlines(source->text()));
        ensureCursorVisible();
    }
}

void TLfMemo::dragEnterEvent(QDragEnterEvent* event) {
    // Files dropped on the view are the window's to open, not text to insert.
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void TLfMemo::Cut() {
    emit OnCut();
    cut();
}

void TLfMemo::Paste() {
    emit OnPaste();
    paste();
}

void TLfMemo::Undo() {
    emit OnUndo();
    undo();
}

// ---- text model ----

qsizetype TLfMemo::PosOfBlock(const QTextBlock& block) const {
    return qsizetype{block.position()} + block.blockNumber();
}

qsizetype TLfMemo::PosOfCursor(int docPos) const {
    return qsizetype{docPos} + document()->findBlock(docPos).blockNumber();
}

QTextBlock TLfMemo::BlockOfPos(qsizetype pos) const {
    // The block that holds CR LF position pos is the last one whose start
    // (its document position plus its number) is at or before pos.
    QTextDocument* doc = document();
    const int lastDoc = doc->characterCount() - 1;
    const auto clampDoc = [lastDoc](qsizetype p) {
        return static_cast<int>(std::clamp<qsizetype>(p, 0, lastDoc));
    };
    const auto blockAt = [&](qsizetype p) {
        return doc->findBlock(clampDoc(p)).blockNumber();
    };
    // If lo <= b* then b* <= blockAt(pos - lo); if hi >= b* then
    // blockAt(pos - hi) <= b* + 1.  Alternating the two narrows the range by
    // about the average line length each round.
    int hi = blockAt(pos);
    int lo = std::max(0, blockAt(pos - hi) - 1);
    for (int round = 0; round < 8 && hi - lo > 8; ++round) {
        hi = std::min(hi, blockAt(pos - lo));
        lo = std::max(lo, blockAt(pos - hi) - 1);
    }
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (PosOfBlock(doc->findBlockByNumber(mid)) <= pos) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return doc->findBlockByNumber(lo);
}

int TLfMemo::DocPosOf(qsizetype pos) const {
    if (pos <= 0) {
        return 0;
    }
    const QTextBlock block = BlockOfPos(pos);
    const qsizetype offset = std::min<qsizetype>(pos - PosOfBlock(block), block.length() - 1);
    return block.position() + static_cast<int>(offset);
}

QString TLfMemo::Text() const {
    QString out;
    out.reserve(TextLengthUnits());
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (b != document()->begin()) {
            out += QLatin1String("\r\n");
        }
        out += b.text();
    }
    return out;
}

qsizetype TLfMemo::TextLengthUnits() const {
    const QTextDocument* doc = document();
    return qsizetype{doc->characterCount()} - 1 + (doc->blockCount() - 1);
}

void TLfMemo::SetText(const QString& value) {
    if (value.size() > kMaxTextUnits) {
        throw EInvalidOperation("文字列の大きさがメモの制限を越えました");
    }
    const QString newText = ToNewlines(value);
    if (newText.size() + (document()->blockCount() - 1) == TextLengthUnits() &&
        newText == document()->toRawText().replace(QChar::ParagraphSeparator, u'\n')) {
        return;
    }
    QTextCursor c(document());
    c.select(QTextCursor::Document);
    c.insertText(newText);
}

void TLfMemo::LoadText(const QString& value) {
    if (value.size() > kMaxTextUnits) {
        throw EInvalidOperation("文字列の大きさがメモの制限を越えました");
    }
    setPlainText(ToNewlines(value));
    document()->setModified(false);
}

qsizetype TLfMemo::LinesCount() const {
    const QTextDocument* doc = document();
    const int blocks = doc->blockCount();
    return doc->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

QString TLfMemo::Line(qsizetype i) const {
    if (i < 0 || i >= document()->blockCount()) {
        return {};
    }
    return document()->findBlockByNumber(static_cast<int>(i)).text();
}

void TLfMemo::SetLine(qsizetype i, const QString& value) {
    if (i < 0 || i >= LinesCount()) {
        return;
    }
    const QTextBlock block = document()->findBlockByNumber(static_cast<int>(i));
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.insertText(ToNewlines(value));
}

qsizetype TLfMemo::SelStart() const {
    const QTextCursor c = textCursor();
    return PosOfCursor(std::min(c.anchor(), c.position()));
}

void TLfMemo::SetSelStart(qsizetype value) {
    const int h = horizontalScrollBar()->value();
    const int v = verticalScrollBar()->value();
    QTextCursor c = textCursor();
    c.setPosition(DocPosOf(value));
    setTextCursor(c);
    horizontalScrollBar()->setValue(h);
    verticalScrollBar()->setValue(v);
}

qsizetype TLfMemo::SelLength() const {
    const QTextCursor c = textCursor();
    const int a = std::min(c.anchor(), c.position());
    const int b = std::max(c.anchor(), c.position());
    return PosOfCursor(b) - PosOfCursor(a);
}

void TLfMemo::SetSelLength(qsizetype value) {
    const qsizetype start = SelStart();
    QTextCursor c = textCursor();
    c.setPosition(DocPosOf(start));
    c.setPosition(DocPosOf(start + std::max<qsizetype>(value, 0)), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

QString TLfMemo::SelText() const {
    QString s = textCursor().selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return s;
}

void TLfMemo::SetSelText(const QString& value) {
    QTextCursor c = textCursor();
    c.insertText(ToNewlines(value));
    setTextCursor(c);
}

TCaretPos TLfMemo::CaretPos() const {
    const QTextCursor c = textCursor();
    const int end = std::max(c.anchor(), c.position());
    const QTextBlock b = document()->findBlock(end);
    return {end - b.position(), b.blockNumber()};
}

qsizetype TLfMemo::LineFromChar(qsizetype pos) const {
    if (pos < 0) {
        return CaretPos().Y;
    }
    return BlockOfPos(pos).blockNumber();
}

qsizetype TLfMemo::LineIndex(qsizetype line) const {
    if (line < 0) {
        line = CaretPos().Y;
    }
    if (line >= document()->blockCount()) {
        return -1;
    }
    return PosOfBlock(document()->findBlockByNumber(static_cast<int>(line)));
}

qsizetype TLfMemo::LineLength(qsizetype line) const {
    if (line < 0 || line >= document()->blockCount()) {
        return 0;
    }
    return document()->findBlockByNumber(static_cast<int>(line)).length() - 1;
}

qsizetype TLfMemo::GetLineCount() const {
    return document()->blockCount();
}

void TLfMemo::LineScroll(int lines) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + lines);
}

void TLfMemo::ScrollCaret() {
    ensureCursorVisible();
}

bool TLfMemo::Modified() const {
    return document()->isModified();
}

void TLfMemo::SetModified(bool value) {
    document()->setModified(value);
}

} // namespace quillo::editing
