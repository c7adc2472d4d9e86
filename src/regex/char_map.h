// TRECharMap: a set of code points in 256 buckets keyed by the low 8 bits, for the single
// characters of a class and the first characters of a match. Guarantees set semantics (a code
// point added twice is held once) and membership tests that read only [p, end).
#pragma once

#include <vector>

class TRECharMap {
public:
    void Add(char32_t cp);
    bool Contains(char32_t cp) const;
    // Reads the code point at p (never at or past end) and tests it.
    bool IsExists(const char16_t* p, const char16_t* end) const;
    void Clear();
    bool Empty() const { return FCount == 0; }
    int Count() const { return FCount; }
    // Every code point, in bucket order then insertion order.
    std::vector<char32_t> Items() const;

private:
    std::vector<char32_t> FBuckets[256];
    int FCount = 0;
};
