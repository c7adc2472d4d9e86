// TREQuickSearch finds a literal in text: Horspool's skip table on the low byte of each unit
// for exact patterns of three units or more, folded comparison under the compare options.
// Receives text as [top, end); guarantees never to read outside it and to report every
// occurrence, overlapping ones included, in order.
#pragma once

#include "regex/options.h"

#include <cstdint>
#include <string>

class TREQuickSearch {
public:
    void Clear();
    const std::u16string& FindText() const { return FFindText; }
    void SetFindText(const std::u16string& Value);
    TRECompareOptions Options() const { return FOptions; }
    void SetOptions(TRECompareOptions Value);
    bool Empty() const { return FFindText.empty(); }

    // First occurrence at or after AStr in [AStr, TextEnd); nullptr when none. MatchLen gives
    // the text units of the occurrence (folding may make it differ from the pattern's).
    const char16_t* Exec(const char16_t* AStr, const char16_t* TextEnd);
    const char16_t* ExecNext();
    const char16_t* MatchP() const { return FMatchP; }
    int MatchLen() const { return FMatchLen; }

private:
    void Compile();
    const char16_t* Search(const char16_t* From);

    std::u16string FFindText;
    TRECompareOptions FOptions = 0;
    bool FCompiled = false;
    std::int32_t FSkipTable[256] = {};
    const char16_t* FTextEndP = nullptr;
    const char16_t* FMatchP = nullptr;
    int FMatchLen = 0;
    char32_t FoldedFirst(const char16_t* p, const char16_t* end, int& len) const;
    // The pattern's first character, folded, for the folded search; for an ASCII letter under
    // case folding alone, its two ASCII forms let the search pass over other ASCII text fast.
    char32_t FFirst = 0;
    char16_t FAsciiForms[2] = {0, 0};
};
