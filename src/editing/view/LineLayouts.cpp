#include "editing/view/LineLayouts.h"

#include "document/TextBuffer.h"
#include "editing/view/TextMoves.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLine>

#include <algorithm>
#include <cmath>

namespace quillo::editing::view {

namespace {

// Shaped pieces kept per line: the ones in sight and a few around them.
constexpr std::size_t kShapedPerLine = 24;
// How far a piece boundary may move back to keep a character whole.
constexpr qsizetype kBoundarySlack = 64;

// Characters QTextLayout would take as line breaks inside one line.
void MaskSeparators(QString& text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u == 0x2028 || u == 0x2029 || u == u'\r' || u == u'\n') {
            c = QChar(0xFFFD);
        }
    }
}

} // namespace

TLineLayouts::TLineLayouts(const TTextBuffer& buffer) : FBuffer(buffer) {
    FOption.setWrapMode(QTextOption::NoWrap);
    FOption.setFlags(QTextOption::IncludeTrailingSpaces);
}

TLineLayouts::~TLineLayouts() = default;

void TLineLayouts::SetFont(const QFont& font) {
    FFont = font;
    const QFontMetricsF fm(font);
    FNarrow = std::max<qreal>(1.0, fm.horizontalAdvance(u'0'));
    FOption.setTabStopDistance(8.0 * FNarrow);
    FAscent = QFontMetrics(font).ascent();
    for (int c = 0; c < 128; ++c) {
        FAscii[static_cast<std::size_t>(c)] = c < 32 ? FNarrow : fm.horizontalAdvance(QChar(c));
    }
    FAscii[u'\t'] = 4.0 * FNarrow;
    Clear();
}

void TLineLayouts::Clear() {
    FLines.clear();
}

void TLineLayouts::SetPreedit(const TPreedit& preedit) {
    if (FPreeditLine >= 0) {
        DropShapes(FPreeditLine);
    }
    FPreedit = preedit;
    FPreeditLine = preedit.Active() ? FBuffer.LineOfPos(preedit.Pos) : -1;
    if (FPreeditLine >= 0) {
        DropShapes(FPreeditLine);
    }
}

void TLineLayouts::DropShapes(qsizetype line) {
    auto it = FLines.find(line);
    if (it == FLines.end()) {
        return;
    }
    it->second.Shaped.clear();
}

void TLineLayouts::Changed(qsizetype pos, qsizetype firstLine, qsizetype oldLastLine,
                           qsizetype lineDelta) {
    // The view puts a pre-edit text back where the caret went, which may be
    // another line: the one it stood on is shaped again without it.
    if (FPreeditLine >= 0) {
        DropShapes(FPreeditLine);
    }
    FPreedit = {};
    FPreeditLine = -1;
    // A long line edited within itself keeps the pieces before the edit and
    // the widths of those after it, so that typing in it stays cheap.
    if (lineDelta == 0 && firstLine == oldLastLine) {
        auto it = FLines.find(firstLine);
        if (it != FLines.end()) {
            TLine& entry = it->second;
            const qsizetype start = FBuffer.LineStart(firstLine);
            const qsizetype length = FBuffer.LineEnd(firstLine) - start;
            if (entry.Pieces.size() > 1 && length > kLongLine) {
                const std::size_t from = PieceOf(entry, pos - start);
                const std::vector<TPiece> old(entry.Pieces.begin() + static_cast<long>(from),
                                              entry.Pieces.end());
                entry.Pieces.resize(from);
                entry.Length = length;
                BuildPieces(entry, start, old);
                for (auto s = entry.Shaped.begin(); s != entry.Shaped.end();) {
                    s = s->first >= from ? entry.Shaped.erase(s) : std::next(s);
                }
                return;
            }
            FLines.erase(it);
        }
        return;
    }
    std::unordered_map<qsizetype, TLine> kept;
    kept.reserve(FLines.size());
    for (auto& [line, entry] : FLines) {
        if (line < firstLine) {
            kept.emplace(line, std::move(entry));
        } else if (line > oldLastLine) {
            kept.emplace(line + lineDelta, std::move(entry));
        }
    }
    FLines = std::move(kept);
}

void TLineLayouts::Prune(qsizetype first, qsizetype last, qsizetype keep) {
    const qsizetype span = last - first + 1;
    if (static_cast<qsizetype>(FLines.size()) <= 2 * span + 16) {
        return;
    }
    for (auto it = FLines.begin(); it != FLines.end();) {
        const qsizetype line = it->first;
        const bool inSight = line >= first - 4 && line <= last + 4;
        it = inSight || line == keep || line == FPreeditLine ? std::next(it) : FLines.erase(it);
    }
}

TLineLayouts::TLine& TLineLayouts::Line(qsizetype line) {
    auto it = FLines.find(line);
    if (it != FLines.end()) {
        return it->second;
    }
    TLine& entry = FLines[line];
    const qsizetype start = FBuffer.LineStart(line);
    entry.Length = FBuffer.LineEnd(line) - start;
    if (entry.Length <= kLongLine) {
        entry.Pieces.push_back({0, entry.Length, 0});
    } else {
        BuildPieces(entry, start, {});
    }
    return entry;
}

qsizetype TLineLayouts::PieceEnd(qsizetype lineStart, qsizetype start, qsizetype length) const {
    qsizetype end = start + kPiece;
    if (end >= length) {
        return length;
    }
    for (qsizetype back = 0; back < kBoundarySlack && end - 1 > start; ++back) {
        if (StartsCharacter(FBuffer, lineStart + end)) {
            return end;
        }
        --end;
    }
    return start + kPiece;
}

void TLineLayouts::BuildPieces(TLine& entry, qsizetype lineStart, const std::vector<TPiece>& old) {
    qsizetype p = entry.Pieces.empty() ? 0 : entry.Pieces.back().End;
    std::size_t k = 0;
    while (p < entry.Length) {
        const qsizetype end = PieceEnd(lineStart, p, entry.Length);
        // After an edit the old widths stand in for the shifted pieces.
        const qreal width =
            k < old.size() && k > 0 ? old[k].Width : Estimate(lineStart + p, lineStart + end);
        entry.Pieces.push_back({p, end, width});
        p = end;
        ++k;
    }
    if (entry.Pieces.empty()) {
        entry.Pieces.push_back({0, 0, 0});
    }
}

qreal TLineLayouts::Estimate(qsizetype from, qsizetype to) const {
    char16_t units[kPiece + kBoundarySlack];
    qreal width = 0;
    for (qsizetype p = from; p < to;) {
        const qsizetype n = std::min<qsizetype>(to - p, kPiece);
        FBuffer.CopyTo(p, n, units);
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t u = units[i];
            if (u < 128) {
                width += FAscii[u];
            } else if (QChar::isLowSurrogate(u) || (u >= 0x300 && u < 0x370) || u == 0x3099 ||
                       u == 0x309A) {
                // no width of its own
            } else if (u < 0x1100 || (u >= 0xFF61 && u <= 0xFF9F)) {
                width += FNarrow;
            } else {
                width += 2 * FNarrow;
            }
        }
        p += n;
    }
    return width;
}

std::size_t TLineLayouts::PieceOf(const TLine& entry, qsizetype rel) const {
    // The last piece starting at or before rel.
    auto it = std::upper_bound(entry.Pieces.begin(), entry.Pieces.end(), rel,
                               [](qsizetype r, const TPiece& p) { return r < p.Start; });
    return it == entry.Pieces.begin() ? 0 : static_cast<std::size_t>(it - entry.Pieces.begin() - 1);
}

qreal TLineLayouts::Origin(const TLine& entry, std::size_t index) const {
    qreal x = 0;
    for (std::size_t i = 0; i < index; ++i) {
        x += entry.Pieces[i].Width;
    }
    return x;
}

TLineLayouts::TShaped& TLineLayouts::Shape(TLine& entry, qsizetype line, std::size_t index,
                                           qreal origin) {
    // Tab stops count from the line's start: a piece further on is shaped
    // with stops shifted by where it begins, again when that moves.
    const qreal tab = FOption.tabStopDistance();
    const qreal offset = std::fmod(std::max<qreal>(origin, 0), tab);
    auto it = entry.Shaped.find(index);
    if (it != entry.Shaped.end()) {
        const qreal moved = std::abs(it->second.TabOffset - offset);
        if (!it->second.HasTab || std::min(moved, tab - moved) < 0.5) {
            return it->second;
        }
        entry.Shaped.erase(it);
    }
    if (entry.Shaped.size() >= kShapedPerLine) {
        entry.Shaped.clear();
    }
    TPiece& piece = entry.Pieces[index];
    const qsizetype lineStart = FBuffer.LineStart(line);
    QString text = FBuffer.Mid(lineStart + piece.Start, piece.End - piece.Start);
    MaskSeparators(text);

    TShaped shaped;
    QList<QTextLayout::FormatRange> formats;
    if (FPreedit.Active() && line == FPreeditLine) {
        const qsizetype rel = FPreedit.Pos - lineStart;
        const bool last = index + 1 == entry.Pieces.size();
        if (rel >= piece.Start && (rel < piece.End || (last && rel == piece.End))) {
            shaped.PreeditAt = rel - piece.Start;
            shaped.PreeditLength = FPreedit.Text.size();
            text.insert(shaped.PreeditAt, FPreedit.Text);
            for (QTextLayout::FormatRange f : FPreedit.Formats) {
                f.start += static_cast<int>(shaped.PreeditAt);
                formats.append(f);
            }
        }
    }
    shaped.HasTab = text.contains(u'\t');
    shaped.TabOffset = offset;
    QTextOption option = FOption;
    if (shaped.HasTab && offset > 0.5 && tab - offset > 0.5) {
        QList<QTextOption::Tab> stops;
        const qreal reach = static_cast<qreal>(text.size()) * 4 * FNarrow + tab;
        for (qreal x = tab - offset; x < reach; x += tab) {
            stops.append(QTextOption::Tab(x, QTextOption::LeftTab));
        }
        option.setTabs(stops);
    }
    shaped.Layout = std::make_unique<QTextLayout>(text, FFont);
    shaped.Layout->setTextOption(option);
    shaped.Layout->setCacheEnabled(true);
    if (!formats.isEmpty()) {
        shaped.Layout->setFormats(formats);
    }
    shaped.Layout->beginLayout();
    QTextLine tl = shaped.Layout->createLine();
    shaped.Layout->endLayout();
    if (tl.isValid()) {
        tl.setPosition(QPointF(0, 0));
        piece.Width = tl.horizontalAdvance();
    } else {
        piece.Width = 0;
    }
    return entry.Shaped.emplace(index, std::move(shaped)).first->second;
}

qsizetype TLineLayouts::LayoutIndex(const TShaped& shaped, qsizetype relInPiece) const {
    if (shaped.PreeditAt >= 0 && relInPiece >= shaped.PreeditAt) {
        return relInPiece + shaped.PreeditLength;
    }
    return relInPiece;
}

qsizetype TLineLayouts::TextIndex(const TShaped& shaped, qsizetype layoutIndex) const {
    if (shaped.PreeditAt < 0 || layoutIndex < shaped.PreeditAt) {
        return layoutIndex;
    }
    if (layoutIndex < shaped.PreeditAt + shaped.PreeditLength) {
        return shaped.PreeditAt;
    }
    return layoutIndex - shaped.PreeditLength;
}

qreal TLineLayouts::X(qsizetype pos) {
    const qsizetype line = FBuffer.LineOfPos(pos);
    TLine& entry = Line(line);
    const qsizetype rel = std::clamp<qsizetype>(pos - FBuffer.LineStart(line), 0, entry.Length);
    const std::size_t index = PieceOf(entry, rel);
    const qreal x = Origin(entry, index);
    TShaped& shaped = Shape(entry, line, index, x);
    const QTextLine tl = shaped.Layout->lineAt(0);
    if (!tl.isValid()) {
        return x;
    }
    const qsizetype inPiece = rel - entry.Pieces[index].Start;
    // Before the pre-edit text, not after it.
    const qsizetype at = shaped.PreeditAt == inPiece ? inPiece : LayoutIndex(shaped, inPiece);
    return x + tl.cursorToX(static_cast<int>(at));
}

qreal TLineLayouts::CaretX(qsizetype pos) {
    if (!FPreedit.Active() || pos != FPreedit.Pos) {
        return X(pos);
    }
    const qsizetype line = FBuffer.LineOfPos(pos);
    TLine& entry = Line(line);
    const qsizetype rel = pos - FBuffer.LineStart(line);
    std::size_t index = PieceOf(entry, rel);
    TShaped* shaped = &Shape(entry, line, index, Origin(entry, index));
    if (shaped->PreeditAt < 0 && index > 0) {
        // At the end of a piece the pre-edit text is in the piece before.
        --index;
        shaped = &Shape(entry, line, index, Origin(entry, index));
    }
    const qreal x = Origin(entry, index);
    const QTextLine tl = shaped->Layout->lineAt(0);
    if (!tl.isValid() || shaped->PreeditAt < 0) {
        return X(pos);
    }
    return x + tl.cursorToX(static_cast<int>(shaped->PreeditAt + FPreedit.Cursor));
}

qsizetype TLineLayouts::PosAtX(qsizetype line, qreal x) {
    TLine& entry = Line(line);
    const qsizetype lineStart = FBuffer.LineStart(line);
    qreal left = 0;
    std::size_t index = 0;
    for (; index + 1 < entry.Pieces.size(); ++index) {
        TPiece& piece = entry.Pieces[index];
        if (left + piece.Width > x) {
            Shape(entry, line, index, left); // the real width may differ from the estimate
            if (left + piece.Width > x) {
                break;
            }
        }
        left += piece.Width;
    }
    TShaped& shaped = Shape(entry, line, index, left);
    const QTextLine tl = shaped.Layout->lineAt(0);
    if (!tl.isValid()) {
        return lineStart + entry.Pieces[index].Start;
    }
    const int at = tl.xToCursor(x - left, QTextLine::CursorBetweenCharacters);
    const qsizetype rel = entry.Pieces[index].Start + TextIndex(shaped, at);
    return lineStart + std::clamp<qsizetype>(rel, 0, entry.Length);
}

qreal TLineLayouts::Width(qsizetype line) {
    TLine& entry = Line(line);
    if (entry.Pieces.size() == 1) {
        Shape(entry, line, 0, 0);
    }
    qreal width = 0;
    for (const TPiece& p : entry.Pieces) {
        width += p.Width;
    }
    return width;
}

qreal TLineLayouts::CharWidth(qsizetype pos) {
    const qsizetype next = NextCaretPos(FBuffer, pos);
    if (next == pos || FBuffer.At(pos) == u'\r' ||
        FBuffer.LineOfPos(next) != FBuffer.LineOfPos(pos)) {
        return FNarrow;
    }
    return std::max<qreal>(1.0, X(next) - X(pos));
}

void TLineLayouts::Draw(QPainter& painter, qsizetype line, qreal x0, qreal top, qreal clipLeft,
                        qreal clipRight, const TLineStyle& style) {
    TLine& entry = Line(line);
    const qsizetype lineStart = FBuffer.LineStart(line);
    qreal left = x0;
    for (std::size_t index = 0; index < entry.Pieces.size() && left < clipRight; ++index) {
        TPiece& piece = entry.Pieces[index];
        if (left + piece.Width < clipLeft) {
            left += piece.Width;
            continue;
        }
        TShaped& shaped = Shape(entry, line, index, left - x0);
        const QTextLine tl = shaped.Layout->lineAt(0);
        if (tl.isValid()) {
            QList<QTextLayout::FormatRange> selections;
            const qsizetype a = std::max(style.SelStart, lineStart + piece.Start);
            const qsizetype b = std::min(style.SelEnd, lineStart + piece.End);
            if (a < b) {
                QTextLayout::FormatRange range;
                range.start = static_cast<int>(LayoutIndex(shaped, a - lineStart - piece.Start));
                // A selection ending where the pre-edit text stands ends before it.
                const qsizetype end = b - lineStart - piece.Start;
                const qsizetype endIndex = end == shaped.PreeditAt ? end : LayoutIndex(shaped, end);
                range.length = static_cast<int>(endIndex) - range.start;
                range.format.setBackground(style.Highlight);
                range.format.setForeground(style.HighlightedText);
                selections.append(range);
            }
            const qreal dy = FAscent - tl.ascent();
            shaped.Layout->draw(&painter, QPointF(left, top + dy), selections,
                                QRectF(clipLeft - left, -1e6, clipRight - clipLeft, 2e6));
        }
        left += piece.Width;
    }
}

} // namespace quillo::editing::view
