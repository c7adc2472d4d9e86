// TREQuickSearch finds a literal in text. Exact and case-folded patterns are found by testing two
// of their units, the rarest by a rough frequency of text units, at every position (eight
// positions a step where SSE2 is there) before the full comparison; under width or kana
// folding, by the folded first character. Receives text as [top, end); guarantees never to read
// outside it and to report every occurrence, overlapping ones included, in order.
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

    // The units that may stand at a pattern offset in an occurrence (the offset's character
    // and, under case folding, every unit that folds like it); at most kMaxForms.
    static constexpr int kMaxForms = 4;
    struct TAnchor {
        int Offset = 0;
        int Count = 0;
        char16_t Forms[kMaxForms] = {};
    };
    // The two anchors the search tests; Count 0 when it compares otherwise.
    const TAnchor& Anchor(int i) const { return FAnchors[i]; }

private:
    void Compile();
    bool ChooseAnchors();
    const char16_t* Search(const char16_t* From);
    const char16_t* NextCandidate(const char16_t* p, const char16_t* last) const;

    std::u16string FFindText;
    TRECompareOptions FOptions = 0;
    bool FCompiled = false;
    TAnchor FAnchors[2];
    const char16_t* FTextEndP = nullptr;
    const char16_t* FMatchP = nullptr;
    int FMatchLen = 0;
    char32_t FoldedFirst(const char16_t* p, const char16_t* end, int& len) const;
    // The pattern's first character, folded, for the search under width or kana folding.
    char32_t FFirst = 0;
};
