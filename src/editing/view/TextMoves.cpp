#include "editing/view/TextMoves.h"

#include "document/TextBuffer.h"

#include <algorithm>

namespace quillo::editing::view {

namespace {

struct TCodePoint {
    char32_t Value = 0;
    int Units = 1;
};

bool IsBreakUnit(char16_t u) {
    return u == u'\r' || u == u'\n';
}

TCodePoint CodePointAt(const TTextBuffer& b, qsizetype pos) {
    const char16_t u = b.At(pos);
    if (QChar::isHighSurrogate(u) && pos + 1 < b.Length()) {
        const char16_t v = b.At(pos + 1);
        if (QChar::isLowSurrogate(v)) {
            return {QChar::surrogateToUcs4(u, v), 2};
        }
    }
    return {u, 1};
}

TCodePoint CodePointBefore(const TTextBuffer& b, qsizetype pos) {
    const char16_t v = b.At(pos - 1);
    if (QChar::isLowSurrogate(v) && pos >= 2) {
        const char16_t u = b.At(pos - 2);
        if (QChar::isHighSurrogate(u)) {
            return {QChar::surrogateToUcs4(u, v), 2};
        }
    }
    return {v, 1};
}

// Code points that belong to the character before them.
bool IsExtender(char32_t c) {
    if (c < 0x300) {
        return false;
    }
    if (c == 0x200C || c == 0x200D || (c >= 0x1F3FB && c <= 0x1F3FF)) {
        return true;
    }
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

bool AtLineBreak(const TTextBuffer& b, qsizetype pos) {
    return pos < b.Length() && IsBreakUnit(b.At(pos));
}

bool AfterLineBreak(const TTextBuffer& b, qsizetype pos) {
    return pos > 0 && IsBreakUnit(b.At(pos - 1));
}

// Past the code point at pos and whatever extends it, within the line.
qsizetype SkipCharacter(const TTextBuffer& b, qsizetype pos) {
    const qsizetype n = b.Length();
    qsizetype p = pos + CodePointAt(b, pos).Units;
    while (p < n && !IsBreakUnit(b.At(p))) {
        const TCodePoint c = CodePointAt(b, p);
        if (!IsExtender(c.Value)) {
            break;
        }
        p += c.Units;
        // A joiner glues the next character on as well.
        if (c.Value == 0x200D && p < n && !IsBreakUnit(b.At(p))) {
            p += CodePointAt(b, p).Units;
        }
    }
    return p;
}

qsizetype SkipCharacterBack(const TTextBuffer& b, qsizetype pos) {
    qsizetype p = pos - CodePointBefore(b, pos).Units;
    while (p > 0 && !IsBreakUnit(b.At(p - 1))) {
        const TCodePoint here = CodePointAt(b, p);
        const TCodePoint before = CodePointBefore(b, p);
        if (IsExtender(here.Value) || before.Value == 0x200D) {
            p -= before.Units;
        } else {
            break;
        }
    }
    return p;
}

// The kind of the character at pos, marks counting as their base.
TCharKind KindAt(const TTextBuffer& b, qsizetype pos) {
    return KindOf(CodePointAt(b, pos).Value);
}

} // namespace

qsizetype SnapToCaret(const TTextBuffer& buffer, qsizetype pos) {
    const qsizetype n = buffer.Length();
    pos = std::clamp<qsizetype>(pos, 0, n);
    if (pos > 0 && pos < n && buffer.At(pos - 1) == u'\r' && buffer.At(pos) == u'\n') {
        return pos - 1;
    }
    return pos;
}

qsizetype NextCaretPos(const TTextBuffer& buffer, qsizetype pos) {
    const qsizetype n = buffer.Length();
    if (pos >= n) {
        return n;
    }
    const char16_t u = buffer.At(pos);
    if (u == u'\r') {
        return pos + 1 < n && buffer.At(pos + 1) == u'\n' ? pos + 2 : pos + 1;
    }
    if (u == u'\n') {
        return pos + 1;
    }
    return SkipCharacter(buffer, pos);
}

qsizetype PrevCaretPos(const TTextBuffer& buffer, qsizetype pos) {
    if (pos <= 0) {
        return 0;
    }
    const char16_t v = buffer.At(pos - 1);
    if (v == u'\n') {
        return pos >= 2 && buffer.At(pos - 2) == u'\r' ? pos - 2 : pos - 1;
    }
    if (v == u'\r') {
        return pos - 1;
    }
    return SkipCharacterBack(buffer, pos);
}

bool StartsCharacter(const TTextBuffer& buffer, qsizetype pos) {
    if (pos <= 0 || pos >= buffer.Length()) {
        return true;
    }
    const char16_t u = buffer.At(pos);
    if (QChar::isLowSurrogate(u) && QChar::isHighSurrogate(buffer.At(pos - 1))) {
        return false;
    }
    if (IsBreakUnit(buffer.At(pos - 1)) || IsBreakUnit(u)) {
        return true;
    }
    return !IsExtender(CodePointAt(buffer, pos).Value) &&
           CodePointBefore(buffer, pos).Value != 0x200D;
}

qsizetype PrevCodePoint(const TTextBuffer& buffer, qsizetype pos) {
    if (pos <= 0) {
        return 0;
    }
    if (pos >= 2 && buffer.At(pos - 1) == u'\n' && buffer.At(pos - 2) == u'\r') {
        return pos - 2;
    }
    return pos - CodePointBefore(buffer, pos).Units;
}

TCharKind KindOf(char32_t c) {
    if (c == u' ' || c == u'\t' || c == 0x3000 || (c < 0x10000 && QChar::isSpace(c))) {
        return TCharKind::Blank;
    }
    if ((c >= 0x3041 && c <= 0x309F)) {
        return TCharKind::Hiragana;
    }
    if ((c >= 0x30A0 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) ||
        (c >= 0xFF66 && c <= 0xFF9F)) {
        return TCharKind::Katakana;
    }
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
        (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF) || c == 0x3005 ||
        c == 0x3006 || c == 0x3007 || c == 0x303B) {
        return TCharKind::Ideograph;
    }
    if (c == u'_' || QChar::isLetterOrNumber(c)) {
        return TCharKind::Word;
    }
    return TCharKind::Other;
}

qsizetype NextWordPos(const TTextBuffer& buffer, qsizetype pos) {
    const qsizetype n = buffer.Length();
    if (pos >= n) {
        return n;
    }
    if (AtLineBreak(buffer, pos)) {
        return NextCaretPos(buffer, pos);
    }
    qsizetype p = pos;
    const TCharKind kind = KindAt(buffer, p);
    if (kind != TCharKind::Blank) {
        while (p < n && !AtLineBreak(buffer, p) && KindAt(buffer, p) == kind) {
            p = SkipCharacter(buffer, p);
        }
    }
    while (p < n && !AtLineBreak(buffer, p) && KindAt(buffer, p) == TCharKind::Blank) {
        p = SkipCharacter(buffer, p);
    }
    return p;
}

qsizetype PrevWordPos(const TTextBuffer& buffer, qsizetype pos) {
    if (pos <= 0) {
        return 0;
    }
    if (AfterLineBreak(buffer, pos)) {
        return PrevCaretPos(buffer, pos);
    }
    qsizetype p = pos;
    while (p > 0 && !AfterLineBreak(buffer, p)) {
        const qsizetype q = SkipCharacterBack(buffer, p);
        if (KindAt(buffer, q) != TCharKind::Blank) {
            break;
        }
        p = q;
    }
    if (p == 0 || AfterLineBreak(buffer, p)) {
        return p;
    }
    const TCharKind kind = KindAt(buffer, SkipCharacterBack(buffer, p));
    while (p > 0 && !AfterLineBreak(buffer, p)) {
        const qsizetype q = SkipCharacterBack(buffer, p);
        if (KindAt(buffer, q) != kind) {
            break;
        }
        p = q;
    }
    return p;
}

TRange WordAt(const TTextBuffer& buffer, qsizetype pos) {
    const qsizetype n = buffer.Length();
    pos = SnapToCaret(buffer, pos);
    if (pos >= n || AtLineBreak(buffer, pos)) {
        // Past the end of a line: the word before it.
        if (pos == 0 || AfterLineBreak(buffer, pos)) {
            return {pos, pos};
        }
        pos = SkipCharacterBack(buffer, pos);
    }
    const TCharKind kind = KindAt(buffer, pos);
    qsizetype start = pos;
    while (start > 0 && !AfterLineBreak(buffer, start)) {
        const qsizetype q = SkipCharacterBack(buffer, start);
        if (KindAt(buffer, q) != kind) {
            break;
        }
        start = q;
    }
    qsizetype end = pos;
    while (end < n && !AtLineBreak(buffer, end) && KindAt(buffer, end) == kind) {
        end = SkipCharacter(buffer, end);
    }
    return {start, end};
}

} // namespace quillo::editing::view
