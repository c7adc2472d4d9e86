#pragma once

// Laid-out lines of the edit view, for the lines on screen and the caret's.
// A line is shaped with QTextLayout (font fallback, combining marks, tab
// stops); a line longer than kLongLine is cut into pieces of about kPiece
// units shaped one by one, so that a line of millions of characters costs no
// more than the pieces in sight.  Pieces not shaped yet count with an
// estimated width; x positions are sums of piece widths, so painting, caret
// and hit testing agree with one another whatever is estimated.

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>
#include <QTextOption>

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;

namespace quillo::document {
class TTextBuffer;
}

namespace quillo::editing {

using document::TTextBuffer;

namespace view {

// An input method's unfinished text, shown at a position without being part
// of the document.
struct TPreedit {
    qsizetype Pos = -1; // document position; -1: none
    QString Text;
    QList<QTextLayout::FormatRange> Formats; // relative to Text
    int Cursor = 0;                          // caret inside Text
    bool CursorVisible = true;
    bool Active() const { return Pos >= 0 && !Text.isEmpty(); }
};

struct TLineStyle {
    qsizetype SelStart = 0; // selection [SelStart, SelEnd) in document positions
    qsizetype SelEnd = 0;
    QColor Highlight;
    QColor HighlightedText;
};

class TLineLayouts {
public:
    static constexpr qsizetype kLongLine = 4096;
    static constexpr qsizetype kPiece = 1024;

    explicit TLineLayouts(const TTextBuffer& buffer);
    ~TLineLayouts();
    TLineLayouts(const TLineLayouts&) = delete;
    TLineLayouts& operator=(const TLineLayouts&) = delete;

    // The font the view draws with; tab stops every 8 advances of '0'.
    void SetFont(const QFont& font);
    qreal TabDistance() const { return FOption.tabStopDistance(); }

    void SetPreedit(const TPreedit& preedit);
    const TPreedit& Preedit() const { return FPreedit; }

    void Clear();
    // After a change of the buffer at `pos`: the old lines [firstLine,
    // oldLastLine] became [firstLine, oldLastLine + lineDelta].
    void Changed(qsizetype pos, qsizetype firstLine, qsizetype oldLastLine, qsizetype lineDelta);
    // Forgets lines outside [first, last] other than `keep`.
    void Prune(qsizetype first, qsizetype last, qsizetype keep);

    // x of a caret position from the start of its line.  CaretX also places
    // the caret inside a pre-edit text standing at pos.
    qreal X(qsizetype pos);
    qreal CaretX(qsizetype pos);
    // The caret position nearest to x on a line.
    qsizetype PosAtX(qsizetype line, qreal x);
    // Width of a line (pieces not shaped yet estimated).
    qreal Width(qsizetype line);
    // Width of the character after pos (for the overwrite caret).
    qreal CharWidth(qsizetype pos);

    // Draws a line whose start is at (x0, top), the part within [clipLeft, clipRight).
    void Draw(QPainter& painter, qsizetype line, qreal x0, qreal top, qreal clipLeft,
              qreal clipRight, const TLineStyle& style);

private:
    struct TPiece {
        qsizetype Start = 0; // relative to the line start
        qsizetype End = 0;
        qreal Width = 0;
    };
    struct TShaped {
        std::unique_ptr<QTextLayout> Layout;
        qsizetype PreeditAt = -1; // index in the piece where the pre-edit text begins
        qsizetype PreeditLength = 0;
        bool HasTab = false;
        qreal TabOffset = 0; // where the piece began, modulo the tab distance
    };
    struct TLine {
        qsizetype Length = 0;
        std::vector<TPiece> Pieces;
        std::unordered_map<std::size_t, TShaped> Shaped;
    };

    const TTextBuffer& FBuffer;
    QFont FFont;
    QTextOption FOption;
    qreal FAscent = 0;
    qreal FNarrow = 1; // advance of '0'
    std::array<qreal, 128> FAscii{};
    TPreedit FPreedit;
    qsizetype FPreeditLine = -1;
    std::unordered_map<qsizetype, TLine> FLines;

    TLine& Line(qsizetype line);
    void BuildPieces(TLine& entry, qsizetype lineStart, const std::vector<TPiece>& old);
    qsizetype PieceEnd(qsizetype lineStart, qsizetype start, qsizetype length) const;
    qreal Estimate(qsizetype from, qsizetype to) const;
    // The piece shaped as it stands at x = origin of its line.
    TShaped& Shape(TLine& entry, qsizetype line, std::size_t index, qreal origin);
    qreal Origin(const TLine& entry, std::size_t index) const;
    std::size_t PieceOf(const TLine& entry, qsizetype rel) const;
    qsizetype LayoutIndex(const TShaped& shaped, qsizetype relInPiece) const;
    qsizetype TextIndex(const TShaped& shaped, qsizetype layoutIndex) const;
    void DropShapes(qsizetype line);
};

} // namespace view
} // namespace quillo::editing
