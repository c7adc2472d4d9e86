#include "editing/LfMemo.h"

#include "document/LineBreaks.h"
#include "editing/DisplayWidth.h"
#include "editing/view/LineLayouts.h"
#include "editing/view/MemoAccessible.h"
#include "editing/view/TextMoves.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>

#include <algorithm>
#include <cmath>

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

// Whole-text changes of texts this long swap the text instead of copying it.
// Lines shorter than this are measured for the ruler in one go.
constexpr qsizetype kShortColumns = 4096;

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

// Where a position goes when [pos, pos + removed) becomes `added` units.
qsizetype Shifted(qsizetype p, qsizetype pos, qsizetype removed, qsizetype added) {
    if (p < pos) {
        return p;
    }
    if (p <= pos + removed) {
        return pos + added;
    }
    return p + added - removed;
}

} // namespace

TLfMemo::TLfMemo(QWidget* owner)
    : TLfMemo(std::make_unique<document::TDocument>(), nullptr, owner) {}

TLfMemo::TLfMemo(document::TDocument& document, QWidget* owner)
    : TLfMemo(nullptr, &document, owner) {}

TLfMemo::TLfMemo(std::unique_ptr<document::TDocument> own, document::TDocument* shown,
                 QWidget* owner)
    : QAbstractScrollArea(owner), FOwnDocument(std::move(own)),
      FDocument(shown != nullptr ? *shown : *FOwnDocument), FBuffer(FDocument.Buffer()),
      FLayouts(std::make_unique<view::TLineLayouts>(FBuffer)) {
    connect(&FDocument, &document::TDocument::Changed, this, &TLfMemo::DocumentChanged);
    connect(&FDocument, &document::TDocument::HistoryCleared, this, &TLfMemo::EmitStateSignals);
    FGutterStrip = new TLfMemoStrip(this, m_FMemBitmap);
    FRulerStrip = new TLfMemoStrip(this, m_FTGutterBitmap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAcceptDrops(true);
    FLayouts->SetFont(font());
    FLineHeight = std::max(1, QFontMetrics(font()).lineSpacing());
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { InvalidateStrips(); });
    connect(this, &TLfMemo::cursorPositionChanged, this, [this] { InvalidateStrips(); });
    view::TMemoAccessible::Follow(*this);
    UpdateScrollBars();
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

    const QRect client = ClientRect();
    m_FRGutter = QRect(0, 0, gutterWidth, client.height());
    m_FTGutter = QRect(0, 0, client.width(), h0 + (firstPaint ? 4 : 2));
    // The strips are drawn at the screen's own pixel density, so that they
    // stay sharp on a scaled screen.
    const qreal ratio = devicePixelRatioF();
    const auto strip = [ratio](int width, int height) {
        QPixmap pixmap(QSize(std::max(1, width), std::max(1, height)) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        return pixmap;
    };
    m_FMemBitmap = strip(m_FRGutter.width(), client.height());
    m_FTGutterBitmap = strip(client.width(), m_FTGutter.height());

    const QPoint origin = contentsRect().topLeft();
    FGutterStrip->setGeometry(QRect(origin, m_FMemBitmap.deviceIndependentSize().toSize()));
    FRulerStrip->setGeometry(origin.x() + gutterWidth, origin.y(),
                             std::max(0, contentsRect().width() - gutterWidth),
                             m_FTGutter.height());
    FGutterStrip->raise();
    FLabels = TLabelCache{};
    UpdateScrollBars();
    InvalidateStrips();
}

void TLfMemo::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (m_FFirstPaint) {
        m_FFirstPaint = false;
        Layout(true);
    }
}

void TLfMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!m_FFirstPaint) {
        Layout(false);
    }
    UpdateScrollBars();
}

void TLfMemo::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FLayouts->SetFont(font());
        FLineHeight = std::max(1, QFontMetrics(font()).lineSpacing());
        FWidest = 0;
        std::fill(std::begin(FColumnMemo), std::end(FColumnMemo), TColumnMemo{});
        if (!m_FFirstPaint) {
            Layout(false);
        }
        UpdateScrollBars();
        viewport()->update();
    } else if (event->type() == QEvent::PaletteChange) {
        viewport()->update();
    }
}

int TLfMemo::FirstLine() const {
    return verticalScrollBar()->value();
}

int TLfMemo::VisibleRows() const {
    return std::max(1, viewport()->height() / FLineHeight);
}

void TLfMemo::UpdateScrollBars() {
    const int rows = VisibleRows();
    const qsizetype lines = FBuffer.LineCount();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, static_cast<int>(std::max<qsizetype>(0, lines - rows)));
    v->setPageStep(rows);
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    const int vw = viewport()->width();
    const qreal contentWidth = std::min<qreal>(FWidest + 2, 2e9);
    h->setRange(0, std::max(0, static_cast<int>(std::ceil(contentWidth)) - vw));
    h->setPageStep(std::max(1, vw));
    h->setSingleStep(std::max(1, QFontMetrics(font()).horizontalAdvance(u'0') * 2));
}

void TLfMemo::NoteWidth(qreal width) {
    if (width > FWidest) {
        FWidest = width;
        UpdateScrollBars();
    }
}

void TLfMemo::scrollContentsBy(int, int) {
    viewport()->update();
    InvalidateStrips();
    UpdateInputMethod();
}

QRect TLfMemo::CaretRect() const {
    const qsizetype line = FBuffer.LineOfPos(FCaret);
    const qsizetype row = line - FirstLine();
    const int x =
        static_cast<int>(std::floor(FLayouts->CaretX(FCaret))) - horizontalScrollBar()->value();
    int width = 1;
    if (FOverwrite && !FLayouts->Preedit().Active()) {
        width = static_cast<int>(std::ceil(FLayouts->CharWidth(FCaret)));
    }
    return QRect(x, static_cast<int>(row) * FLineHeight, width, FLineHeight);
}

QRect TLfMemo::CharRect(qsizetype pos) const {
    pos = std::clamp<qsizetype>(pos, 0, FBuffer.Length());
    const qsizetype row = FBuffer.LineOfPos(pos) - FirstLine();
    const int x = static_cast<int>(std::floor(FLayouts->X(pos))) - horizontalScrollBar()->value();
    const int width = std::max(1, static_cast<int>(std::ceil(FLayouts->CharWidth(pos))));
    return QRect(x, static_cast<int>(row) * FLineHeight, width, FLineHeight);
}

void TLfMemo::paintEvent(QPaintEvent* event) {
    const QRect area = event->rect();
    const bool blinkOnly = !FBlinkRect.isNull() && FBlinkRect.contains(area);
    FBlinkRect = QRect();
    QPainter painter(viewport());
    const QPalette& pal = palette();
    painter.fillRect(area, pal.color(QPalette::Base));

    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    view::TLineStyle style;
    style.SelStart = std::min(FAnchor, FCaret);
    style.SelEnd = std::max(FAnchor, FCaret);
    style.Highlight = pal.color(group, QPalette::Highlight);
    style.HighlightedText = pal.color(group, QPalette::HighlightedText);
    painter.setPen(pal.color(QPalette::Text));

    const int first = FirstLine();
    const qsizetype lines = FBuffer.LineCount();
    const qreal x0 = -horizontalScrollBar()->value();
    const int rowFrom = std::max(0, area.top() / FLineHeight);
    const int rowTo = area.bottom() / FLineHeight;
    const qreal space = QFontMetricsF(font()).horizontalAdvance(u' ');
    qreal widest = 0;
    for (int row = rowFrom; row <= rowTo; ++row) {
        const qsizetype line = qsizetype{first} + row;
        if (line >= lines) {
            break;
        }
        const qreal top = static_cast<qreal>(row) * FLineHeight;
        FLayouts->Draw(painter, line, x0, top, area.left(), area.right() + 1, style);
        const qreal width = FLayouts->Width(line);
        widest = std::max(widest, width);
        const qsizetype end = FBuffer.LineEnd(line);
        if (style.SelStart <= end && style.SelEnd > end) {
            // The selected line break.
            painter.fillRect(QRectF(x0 + width, top, space, FLineHeight), style.Highlight);
        }
    }
    const bool showCaret = FCaretShown && hasFocus();
    if (showCaret && (!FLayouts->Preedit().Active() || FLayouts->Preedit().CursorVisible)) {
        const QRect caret = CaretRect();
        if (caret.intersects(area)) {
            if (caret.width() > 1) {
                painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
                painter.fillRect(caret, Qt::white);
                painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            } else {
                painter.fillRect(caret, pal.color(QPalette::Text));
            }
        }
    }
    painter.end();
    FLayouts->Prune(first, first + VisibleRows(), FBuffer.LineOfPos(FCaret));
    NoteWidth(widest);
    if (!blinkOnly) {
        InvalidateStrips();
    }
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
    canvas.fillRect(QRect(QPoint(0, 0), m_FMemBitmap.deviceIndependentSize().toSize()),
                    FGutterColor);
    DrawEtchedEdge(canvas, m_FRGutter, true);
}

void TLfMemo::PaintTGutter(QPainter& canvas) {
    canvas.fillRect(QRect(QPoint(0, 0), m_FTGutterBitmap.deviceIndependentSize().toSize()),
                    FGutterColor);
    DrawEtchedEdge(canvas, m_FTGutter, false);
}

void TLfMemo::PaintLineNo(QPainter& canvas) {
    QFont bold = font();
    bold.setBold(true);
    canvas.setFont(bold);
    canvas.setPen(FLineNoColor);
    const int textTop = viewport()->geometry().top() - contentsRect().top();
    const int right = m_FRGutter.width() - 5;
    const qsizetype lines = FBuffer.LineCount();
    for (qsizetype line = FirstLine(), k = 0; line < lines; ++line, ++k) {
        const int top = textTop + static_cast<int>(k) * FLineHeight;
        if (top >= m_FMemBitmap.deviceIndependentSize().height()) {
            break;
        }
        const qint64 number = qint64{FStartLineNo} + line;
        const QStaticText& label = FLabels.Number(number, bold);
        const QSizeF size = label.size();
        canvas.drawStaticText(
            QPointF(right - size.width(), top + (FLineHeight - size.height()) / 2), label);
    }
}

int TLfMemo::Columns(qsizetype lineStart, qsizetype pos) {
    if (pos <= lineStart) {
        return 0;
    }
    if (pos - lineStart < kShortColumns) {
        return DisplayWidth(FBuffer.Mid(lineStart, pos - lineStart));
    }
    // A long line: go on from the nearest count made before on it.
    qsizetype from = lineStart;
    int width = 0;
    for (const TColumnMemo& m : FColumnMemo) {
        if (m.LineStart == lineStart && m.Pos <= pos && m.Pos > from) {
            from = m.Pos;
            width = m.Width;
        }
    }
    constexpr qsizetype kBlock = qsizetype{1} << 16;
    while (from < pos) {
        qsizetype n = std::min(kBlock, pos - from);
        if (from + n < pos && QChar::isHighSurrogate(FBuffer.At(from + n - 1))) {
            --n; // a pair stays in one block
        }
        width = DisplayWidth(FBuffer.Mid(from, n), width);
        from += n;
    }
    const bool known =
        std::any_of(std::begin(FColumnMemo), std::end(FColumnMemo),
                    [&](const TColumnMemo& m) { return m.LineStart == lineStart && m.Pos == pos; });
    if (!known) {
        // An empty slot first, so that a count still good is not pushed out.
        auto* slot = std::find_if(std::begin(FColumnMemo), std::end(FColumnMemo),
                                  [](const TColumnMemo& m) { return m.LineStart < 0; });
        if (slot == std::end(FColumnMemo)) {
            slot = &FColumnMemo[FColumnMemoNext];
            FColumnMemoNext = (FColumnMemoNext + 1) % std::size(FColumnMemo);
        }
        *slot = {lineStart, pos, width};
    }
    return width;
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

    const qsizetype selStart = SelStart();
    const qsizetype caretLine = FBuffer.LineOfPos(std::max(FAnchor, FCaret));
    const qsizetype startLine = FBuffer.LineOfPos(selStart);
    const qsizetype caretLineStart = FBuffer.LineStart(caretLine);

    // First column shown at the text area's left edge.
    const qsizetype row = startLine - FirstLine();
    const qsizetype y = row * FLineHeight + FLineHeight / 2;
    const bool atEnd = selStart > 0 && selStart == FBuffer.Length();
    int d = FLastStartLow;
    if (!atEnd && y >= 0 && y < viewport()->height()) {
        const qsizetype left = FLayouts->PosAtX(startLine, horizontalScrollBar()->value());
        d = left > caretLineStart ? Columns(caretLineStart, left) : 0;
    }
    d = std::max(d, 0);
    FLastStartLow = d;

    // Caret column: from the start of the caret's line to SelStart.
    int c0 = 0;
    if (FBuffer.Length() > 0 && startLine == caretLine) {
        c0 = Columns(caretLineStart, selStart);
    }
    FCaretColumn = c0;

    const int cells = static_cast<int>(width() / w);
    const int bottom = m_FTGutter.bottom();
    const QRectF rowRect(3, -1, cells * w, bottom);
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
        canvas.drawText(rowRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, labels);
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

// ---- caret and selection ----

void TLfMemo::SetSelection(qsizetype anchor, qsizetype caret, bool keepColumn) {
    anchor = view::SnapToCaret(FBuffer, anchor);
    caret = view::SnapToCaret(FBuffer, caret);
    if (!keepColumn) {
        FDesiredX = -1;
    }
    if (anchor == FAnchor && caret == FCaret) {
        return;
    }
    const bool hadSelection = HasSelection();
    const qsizetype oldLine = FBuffer.LineOfPos(FCaret);
    const bool caretMoved = caret != FCaret;
    FDocument.BreakRun();
    FAnchor = anchor;
    FCaret = caret;
    RestartBlink();
    UpdateSelectionRows(hadSelection, oldLine);
    if (caretMoved) {
        emit cursorPositionChanged();
        PrepareEditAtCaret();
    }
    if (hadSelection || HasSelection()) {
        emit selectionChanged();
    }
    UpdateInputMethod();
}

void TLfMemo::UpdateSelectionRows(bool hadSelection, qsizetype oldCaretLine) {
    if (hadSelection || HasSelection()) {
        viewport()->update();
        return;
    }
    // Only the caret's old and new rows change.
    const int first = FirstLine();
    for (const qsizetype line : {oldCaretLine, FBuffer.LineOfPos(FCaret)}) {
        const qsizetype row = line - first;
        if (row >= 0 && row <= VisibleRows()) {
            viewport()->update(0, static_cast<int>(row) * FLineHeight, viewport()->width(),
                               FLineHeight);
        }
    }
}

// In a big text the first edit after a jump would move megabytes of the
// gap buffer while the user waits for the character; moving them when the
// event loop is idle keeps typing at the cost of one small edit.
void TLfMemo::PrepareEditAtCaret() {
    constexpr qsizetype kFarUnits = qsizetype{1} << 20;
    if (FBuffer.GapDistance(FCaret) >= kFarUnits) {
        FPrepareEdit.start(0, this);
    }
}

void TLfMemo::EnsureCaretVisible() {
    const qsizetype line = FBuffer.LineOfPos(FCaret);
    QScrollBar* v = verticalScrollBar();
    const int rows = VisibleRows();
    if (line < v->value()) {
        v->setValue(static_cast<int>(line));
    } else if (line >= qsizetype{v->value()} + rows) {
        v->setValue(static_cast<int>(line - rows + 1));
    }
    const qreal x = FLayouts->CaretX(FCaret);
    NoteWidth(std::max(x, FLayouts->Width(line)));
    QScrollBar* h = horizontalScrollBar();
    const int vw = viewport()->width();
    const int left = static_cast<int>(std::floor(x));
    const int right = static_cast<int>(std::ceil(x)) + CaretRect().width() + 1;
    if (left < h->value()) {
        h->setValue(left);
    } else if (right > h->value() + vw) {
        // A caret wider than the view (overwriting a tab) keeps its left edge in sight.
        h->setValue(std::min(right - vw, left));
    }
}

void TLfMemo::RestartBlink() {
    FCaretShown = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0) {
        FBlink.start(flash / 2, this);
    } else {
        FBlink.stop();
    }
}

void TLfMemo::timerEvent(QTimerEvent* event) {
    if (event->timerId() == FBlink.timerId()) {
        FCaretShown = !FCaretShown;
        FBlinkRect = CaretRect();
        viewport()->update(FBlinkRect);
    } else if (event->timerId() == FAutoScroll.timerId()) {
        ExtendDrag(FMousePoint);
    } else if (event->timerId() == FPrepareEdit.timerId()) {
        FPrepareEdit.stop();
        if (!isReadOnly()) {
            FDocument.PrepareEdit(FCaret);
        }
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

qsizetype TLfMemo::PosAt(const QPoint& point) const {
    const qsizetype row =
        point.y() >= 0 ? point.y() / FLineHeight : -1 - (-point.y() - 1) / FLineHeight;
    const qsizetype line =
        std::clamp<qsizetype>(qsizetype{FirstLine()} + row, 0, FBuffer.LineCount() - 1);
    return FLayouts->PosAtX(line, static_cast<qreal>(point.x() + horizontalScrollBar()->value()));
}

qsizetype TLfMemo::MoveTarget(TMove move) {
    const qsizetype line = FBuffer.LineOfPos(FCaret);
    const auto vertical = [&](qsizetype target) {
        if (FDesiredX < 0) {
            FDesiredX = FLayouts->X(FCaret);
        }
        target = std::clamp<qsizetype>(target, 0, FBuffer.LineCount() - 1);
        return FLayouts->PosAtX(target, FDesiredX);
    };
    switch (move) {
    case TMove::NextChar:
        return view::NextCaretPos(FBuffer, FCaret);
    case TMove::PrevChar:
        return view::PrevCaretPos(FBuffer, FCaret);
    case TMove::NextWord:
        return view::NextWordPos(FBuffer, FCaret);
    case TMove::PrevWord:
        return view::PrevWordPos(FBuffer, FCaret);
    case TMove::NextLine:
        return line + 1 < FBuffer.LineCount() ? vertical(line + 1) : FCaret;
    case TMove::PrevLine:
        return line > 0 ? vertical(line - 1) : FCaret;
    case TMove::NextPage:
        return vertical(line + VisibleRows());
    case TMove::PrevPage:
        return vertical(line - VisibleRows());
    case TMove::LineStart:
        return FBuffer.LineStart(line);
    case TMove::LineEnd:
        return FBuffer.LineEnd(line);
    case TMove::DocStart:
        return 0;
    case TMove::DocEnd:
        return FBuffer.Length();
    }
    return FCaret;
}

void TLfMemo::MoveCaret(TMove move, bool select) {
    const bool vertical = move == TMove::NextLine || move == TMove::PrevLine ||
                          move == TMove::NextPage || move == TMove::PrevPage;
    qsizetype target = 0;
    if (!select && HasSelection() && (move == TMove::NextChar || move == TMove::PrevChar)) {
        // An arrow on a selection goes to its end on that side.
        target = move == TMove::NextChar ? std::max(FAnchor, FCaret) : std::min(FAnchor, FCaret);
    } else {
        target = MoveTarget(move);
    }
    if (move == TMove::NextPage || move == TMove::PrevPage) {
        const int rows = VisibleRows();
        verticalScrollBar()->setValue(verticalScrollBar()->value() +
                                      (move == TMove::NextPage ? rows : -rows));
    }
    SetSelection(select ? FAnchor : target, target, vertical);
    FDocument.BreakRun();
    EnsureCaretVisible();
}

// ---- editing ----

void TLfMemo::EmitStateSignals() {
    const bool canUndo = FDocument.CanUndo();
    if (canUndo != FLastCanUndo) {
        FLastCanUndo = canUndo;
        emit undoAvailable(canUndo);
    }
    const bool modified = Modified();
    if (modified != FLastModified) {
        FLastModified = modified;
        emit modificationChanged(modified);
    }
}

void TLfMemo::TextChanged(qsizetype pos, qsizetype removed, qsizetype added, qsizetype oldLines) {
    const qsizetype lines = FBuffer.LineCount();
    const qsizetype delta = lines - oldLines;
    const qsizetype firstLine = FBuffer.LineOfPos(pos);
    const qsizetype lastLine = FBuffer.LineOfPos(std::min(pos + added, FBuffer.Length()));
    view::TPreedit preedit = FLayouts->Preedit();
    FLayouts->Changed(pos, firstLine, lastLine - delta, delta);
    if (preedit.Active()) {
        // Text changed under a pre-edit (a command, an undo): it follows the caret.
        preedit.Pos = FCaret;
        FLayouts->SetPreedit(preedit);
    }
    for (TColumnMemo& m : FColumnMemo) {
        if (pos < m.Pos) {
            m = TColumnMemo{};
        }
    }
    UpdateScrollBars();
    // Rows from the change down when lines came or went, else just its own
    // (nothing when they are out of sight).
    const qsizetype row = firstLine - FirstLine();
    const int top = static_cast<int>(std::max<qsizetype>(0, row)) * FLineHeight;
    if (delta != 0) {
        viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
    } else if (lastLine >= FirstLine() && row <= VisibleRows()) {
        const qsizetype rows = lastLine - std::max<qsizetype>(firstLine, FirstLine()) + 1;
        viewport()->update(0, top, viewport()->width(), static_cast<int>(rows) * FLineHeight);
    }
    emit ContentsChanged(pos, removed, added);
    emit textChanged();
}

void TLfMemo::Edit(qsizetype pos, qsizetype length, const QString& text, bool typing,
                   qsizetype caret) {
    std::optional<document::TSelection> after;
    if (caret >= 0) {
        after = document::TSelection{caret, caret};
    }
    FDocument.Replace(pos, length, text, typing, {FAnchor, FCaret}, after);
}

void TLfMemo::DocumentChanged(const document::TTextChange& change) {
    if (change.Reset) {
        Reloaded(change);
        return;
    }
    const qsizetype oldAnchor = FAnchor;
    const qsizetype oldCaret = FCaret;
    // The old caret's row on screen: rows from the change down are repainted
    // anyway when lines came or went, so its line in the new text will do.
    const qsizetype oldCaretLine =
        FBuffer.LineOfPos(Shifted(oldCaret, change.Pos, change.Removed, change.Added));
    if (change.Selection) {
        FAnchor = change.Selection->Anchor;
        FCaret = change.Selection->Caret;
    } else {
        FAnchor = Shifted(oldAnchor, change.Pos, change.Removed, change.Added);
        FCaret = Shifted(oldCaret, change.Pos, change.Removed, change.Added);
    }
    FAnchor = view::SnapToCaret(FBuffer, FAnchor);
    FCaret = view::SnapToCaret(FBuffer, FCaret);
    FDesiredX = -1;
    RestartBlink();
    TextChanged(change.Pos, change.Removed, change.Added, change.LinesBefore);
    // An undo puts back a selection or a caret away from the change: the
    // rows they leave and reach are repainted as well as the changed ones.
    UpdateSelectionRows(oldAnchor != oldCaret, oldCaretLine);
    SelectionSettled(oldAnchor, oldCaret);
}

void TLfMemo::Reloaded(const document::TTextChange& change) {
    FLayouts->SetPreedit({});
    const bool hadSelection = HasSelection();
    const bool caretMoved = FCaret != 0;
    FAnchor = FCaret = 0;
    FDesiredX = -1;
    FWidest = 0;
    FLayouts->Clear();
    std::fill(std::begin(FColumnMemo), std::end(FColumnMemo), TColumnMemo{});
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    emit ContentsChanged(0, change.Removed, change.Added);
    emit textChanged();
    if (caretMoved) {
        emit cursorPositionChanged();
    }
    if (hadSelection) {
        emit selectionChanged();
    }
    EmitStateSignals();
    UpdateInputMethod();
    PrepareEditAtCaret();
}

void TLfMemo::SelectionSettled(qsizetype oldAnchor, qsizetype oldCaret) {
    if (FCaret != oldCaret || FAnchor != oldAnchor) {
        emit cursorPositionChanged();
    }
    if (oldAnchor != oldCaret || FAnchor != FCaret) {
        emit selectionChanged();
    }
    EmitStateSignals();
    UpdateInputMethod();
}

void TLfMemo::InsertTyped(const QString& text) {
    if (FReadOnly) {
        return;
    }
    const qsizetype from = SelStart();
    qsizetype to = std::max(FAnchor, FCaret);
    // A typed line break is inserted: typing it over a character would lose that character.
    if (FOverwrite && from == to && to < FBuffer.Length() && FBuffer.At(to) != u'\r' &&
        text != QStringLiteral("\r\n")) {
        to = view::NextCaretPos(FBuffer, to);
    }
    if (!Fits(to - from, text.size())) {
        return;
    }
    Edit(from, to - from, text, true, from + text.size());
    EnsureCaretVisible();
}

bool TLfMemo::Fits(qsizetype removed, qsizetype added) {
    // Typing and pasting past the limit is refused here; only the text-model
    // operations raise the error, to callers that handle it.
    if (FBuffer.Length() - removed + added <= document::TDocument::kMaxUnits) {
        return true;
    }
    QApplication::beep();
    return false;
}

void TLfMemo::DeleteRange(qsizetype from, qsizetype to) {
    if (FReadOnly || from == to) {
        return;
    }
    FDocument.BreakRun();
    Edit(std::min(from, to), std::abs(to - from), QString(), false, std::min(from, to));
    EnsureCaretVisible();
}

void TLfMemo::undo() {
    if (FReadOnly || !FDocument.CanUndo()) {
        return;
    }
    if (FDocument.Undo()) {
        EnsureCaretVisible();
    }
}

void TLfMemo::redo() {
    if (FReadOnly || !FDocument.CanRedo()) {
        return;
    }
    if (FDocument.Redo()) {
        EnsureCaretVisible();
    }
}

void TLfMemo::copy() {
    if (HasSelection()) {
        QApplication::clipboard()->setText(SelText());
    }
}

void TLfMemo::selectAll() {
    SetSelection(0, FBuffer.Length());
}

void TLfMemo::RemoveSelectedText() {
    DeleteRange(FAnchor, FCaret);
}

void TLfMemo::setReadOnly(bool value) {
    const bool changed = value != FReadOnly;
    FReadOnly = value;
    setAttribute(Qt::WA_InputMethodEnabled, !value);
    viewport()->update();
    if (changed) {
        emit readOnlyChanged(value);
    }
}

void TLfMemo::InsertFromMime(const QString& text) {
    if (FReadOnly || text.isEmpty()) {
        return;
    }
    FDocument.BreakRun();
    const QString crlf = document::ToCrLf(text);
    const qsizetype from = SelStart();
    if (!Fits(SelLength(), crlf.size())) {
        return;
    }
    Edit(from, SelLength(), crlf, false, from + crlf.size());
    EnsureCaretVisible();
}

void TLfMemo::Cut() {
    emit OnCut();
    if (HasSelection() && !FReadOnly) {
        copy();
        RemoveSelectedText();
    }
}

void TLfMemo::Paste() {
    PasteText(QApplication::clipboard()->text());
}

void TLfMemo::PasteText(const QString& text) {
    emit OnPaste(text);
    InsertFromMime(text);
}

void TLfMemo::Undo() {
    emit OnUndo();
    undo();
}

// ---- text model ----

QString TLfMemo::Text() const {
    return FBuffer.Text();
}

qsizetype TLfMemo::TextLengthUnits() const {
    return FBuffer.Length();
}

void TLfMemo::SetText(const QString& value) {
    FDocument.SetText(value, {FAnchor, FCaret});
}

void TLfMemo::LoadText(QString value) {
    FDocument.Load(std::move(value));
}

qsizetype TLfMemo::LinesCount() const {
    const qsizetype lines = FBuffer.LineCount();
    return FBuffer.LineStart(lines - 1) == FBuffer.Length() ? lines - 1 : lines;
}

QString TLfMemo::Line(qsizetype i) const {
    if (i < 0 || i >= FBuffer.LineCount()) {
        return {};
    }
    const qsizetype start = FBuffer.LineStart(i);
    return FBuffer.Mid(start, FBuffer.LineEnd(i) - start);
}

void TLfMemo::SetLine(qsizetype i, const QString& value) {
    if (i < 0 || i >= LinesCount()) {
        return;
    }
    FDocument.BreakRun();
    const qsizetype start = FBuffer.LineStart(i);
    Edit(start, FBuffer.LineEnd(i) - start, document::ToCrLf(value), false);
}

qsizetype TLfMemo::SelStart() const {
    return std::min(FAnchor, FCaret);
}

void TLfMemo::SetSelStart(qsizetype value) {
    const qsizetype pos = std::clamp<qsizetype>(value, 0, FBuffer.Length());
    SetSelection(pos, pos);
}

qsizetype TLfMemo::SelLength() const {
    return std::abs(FCaret - FAnchor);
}

void TLfMemo::SetSelLength(qsizetype value) {
    const qsizetype start = SelStart();
    // Clamped before adding: a caller may pass the largest length for "to the end".
    const qsizetype end = start + std::clamp<qsizetype>(value, 0, FBuffer.Length() - start);
    SetSelection(start, end);
    EnsureCaretVisible();
}

QString TLfMemo::SelText() const {
    return FBuffer.Mid(SelStart(), SelLength());
}

void TLfMemo::SetSelText(const QString& value) {
    const QString text = document::ToCrLf(value);
    const qsizetype from = SelStart();
    FDocument.BreakRun();
    Edit(from, SelLength(), text, false, from + text.size());
}

TCaretPos TLfMemo::CaretPos() const {
    const qsizetype end = std::max(FAnchor, FCaret);
    const qsizetype line = FBuffer.LineOfPos(end);
    return {end - FBuffer.LineStart(line), line};
}

qsizetype TLfMemo::LineFromChar(qsizetype pos) const {
    if (pos < 0) {
        return CaretPos().Y;
    }
    return FBuffer.LineOfPos(std::min(pos, FBuffer.Length()));
}

qsizetype TLfMemo::LineIndex(qsizetype line) const {
    if (line < 0) {
        line = CaretPos().Y;
    }
    if (line >= FBuffer.LineCount()) {
        return -1;
    }
    return FBuffer.LineStart(line);
}

qsizetype TLfMemo::LineLength(qsizetype line) const {
    if (line < 0 || line >= FBuffer.LineCount()) {
        return 0;
    }
    return FBuffer.LineEnd(line) - FBuffer.LineStart(line);
}

qsizetype TLfMemo::GetLineCount() const {
    return FBuffer.LineCount();
}

void TLfMemo::LineScroll(int lines) {
    QScrollBar* bar = verticalScrollBar();
    // Summed wide: a caller's "all the way down" must not overflow an int.
    const qint64 target = qint64{bar->value()} + lines;
    bar->setValue(static_cast<int>(std::clamp<qint64>(target, bar->minimum(), bar->maximum())));
}

void TLfMemo::ScrollCaret() {
    EnsureCaretVisible();
}

bool TLfMemo::Modified() const {
    return FDocument.Modified();
}

void TLfMemo::SetModified(bool value) {
    FDocument.SetModified(value);
    EmitStateSignals();
}

} // namespace quillo::editing
