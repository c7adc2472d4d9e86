// Text services the engine needs from the platform, built on our own Unicode tables so that no
// result depends on the process locale: simple upper- and lower-casing, case-insensitive
// comparison of UTF-16 text, the full-width/half-width and hiragana/katakana mappings of single
// characters, and UTF-16 reading and writing. Receives any code point or code unit (lone
// surrogates included); guarantees that characters without a mapping come back unchanged.
#pragma once

#include <cstddef>
#include <string>

// Reads the code point at p (never past end, which must be above p); a high surrogate followed
// by a low one is combined. len receives the units used (1 or 2).
char32_t ReadCodePoint(const char16_t* p, const char16_t* end, int& len);
void AppendCodePoint(std::u16string& s, char32_t cp);

char32_t CharUpper(char32_t cp);
char32_t CharLower(char32_t cp);

// Compares len units of a and b ignoring case; true when they are equal. A surrogate pair is
// compared as one code point.
bool SameTextIgnoreCase(const char16_t* a, const char16_t* b, std::size_t len);

// One character to one character; unchanged when the mapping has no single-character result.
char32_t ToFullWidth(char32_t cp);
char32_t ToHalfWidth(char32_t cp);
char32_t ToHiragana(char32_t cp);
char32_t ToKatakana(char32_t cp);
