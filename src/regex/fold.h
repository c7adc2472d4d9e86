// Character folding and folded comparison, shared by the lexer (literals), the code classes
// (ranges, literals, references) and the matcher. Receives text as [p, end) with p < end;
// guarantees never to read at or past end, and that folding a folded character changes nothing.
#pragma once

#include "regex/options.h"

// Folds the character at p by the compare options: upper case, full-width form (half-width
// katakana with a following voiced or semi-voiced mark become one character), katakana.
// len receives the units read (1 or 2).
char32_t FoldChar(const char16_t* p, const char16_t* end, TRECompareOptions options, int& len);

// Compares the text at [text, textEnd) with patternLen units of pattern under the compare options.
// On a match returns true and textLen receives the text units used, which may differ from
// patternLen when width or kana folding is on.
bool CompareText(const char16_t* text, const char16_t* textEnd, const char16_t* pattern,
                 int patternLen, TRECompareOptions options, int& textLen);
