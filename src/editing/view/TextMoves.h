#pragma once

// Where the caret may stand and where it goes, worked out on the buffer
// itself: nothing here copies more than the characters it looks at.  Every
// line break is CR LF, and no caret position lies between CR and LF.

#include <QString>
#include <QStringView>

namespace quillo::document {
class TTextBuffer;
}

namespace quillo::editing {

using document::TTextBuffer;

namespace view {

// The position itself, or the line end when it lies between a CR and its LF.
qsizetype SnapToCaret(const TTextBuffer& buffer, qsizetype pos);

// One character on: a CR LF, a surrogate pair and a base with its combining
// marks are one step each.  The same back.
qsizetype NextCaretPos(const TTextBuffer& buffer, qsizetype pos);
qsizetype PrevCaretPos(const TTextBuffer& buffer, qsizetype pos);
// True when a character starts at pos: not inside a surrogate pair, not on a
// combining mark, not right after a joiner.
bool StartsCharacter(const TTextBuffer& buffer, qsizetype pos);
// Backspace takes one code point (or a CR LF), so that a mark can go alone.
qsizetype PrevCodePoint(const TTextBuffer& buffer, qsizetype pos);

// Kinds of characters whose runs make words: blanks, letters and digits,
// hiragana, katakana, ideographs and the rest (punctuation and symbols).
enum class TCharKind { Blank, Word, Hiragana, Katakana, Ideograph, Other };
TCharKind KindOf(char32_t c);

// Ctrl+Right: past the run at the caret and the blanks after it; from a line
// end to the next line's start.  Ctrl+Left: back over blanks and the run
// before them; from a line start to the previous line's end.
qsizetype NextWordPos(const TTextBuffer& buffer, qsizetype pos);
qsizetype PrevWordPos(const TTextBuffer& buffer, qsizetype pos);

// The run of one kind around pos (the word a double click selects): [first, second).
struct TRange {
    qsizetype Start = 0;
    qsizetype End = 0;
};
TRange WordAt(const TTextBuffer& buffer, qsizetype pos);

} // namespace view
} // namespace quillo::editing
