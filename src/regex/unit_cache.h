// TREUnitCache remembers, for each UTF-16 unit outside the surrogates, whether a test that looks
// at one character matched that unit, so that long runs of text are judged by a table lookup
// instead of a code's full test. It starts empty and learns from the answers the codes give on
// the text itself. Guarantees: a surrogate unit is never known (the caller tests it in full);
// an answer is only as position-independent as the test it came from, which IsContextFree
// decides for single codes.
#pragma once

#include <cstdint>
#include <vector>

class TRECode;

class TREUnitCache {
public:
    enum TAnswer : std::uint32_t { uaUnknown = 0, uaNo = 1, uaYes = 2 };

    TREUnitCache() : FBits(kWords, 0) {}

    // True when the code's answer on a unit outside the surrogates depends on that unit alone
    // and a match there consumes exactly that unit: no width or kana folding (which joins a
    // half-width kana with its voiced mark), one character.
    static bool IsContextFree(const TRECode* Code);

    TAnswer Lookup(char16_t c) const {
        return static_cast<TAnswer>((FBits[c >> 4] >> ((c & 15u) * 2)) & 3u);
    }
    void Store(char16_t c, bool Yes) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            return;
        }
        std::uint32_t& w = FBits[c >> 4];
        const unsigned shift = (c & 15u) * 2;
        w = (w & ~(3u << shift)) | (static_cast<std::uint32_t>(Yes ? uaYes : uaNo) << shift);
    }

private:
    static constexpr std::size_t kWords = 65536 / 16;
    std::vector<std::uint32_t> FBits;
};
