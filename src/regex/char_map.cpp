// The bucketed code-point set.
#include "regex/char_map.h"

#include "regex/text_services.h"

#include <algorithm>

void TRECharMap::Add(char32_t cp) {
    auto& chain = FBuckets[cp & 0xFF];
    if (std::find(chain.begin(), chain.end(), cp) == chain.end()) {
        chain.push_back(cp);
        ++FCount;
    }
}

bool TRECharMap::Contains(char32_t cp) const {
    const auto& chain = FBuckets[cp & 0xFF];
    return std::find(chain.begin(), chain.end(), cp) != chain.end();
}

bool TRECharMap::IsExists(const char16_t* p, const char16_t* end) const {
    if (p >= end) {
        return false;
    }
    int len = 0;
    return Contains(ReadCodePoint(p, end, len));
}

void TRECharMap::Clear() {
    for (auto& chain : FBuckets) {
        chain.clear();
    }
    FCount = 0;
}

std::vector<char32_t> TRECharMap::Items() const {
    std::vector<char32_t> out;
    for (const auto& chain : FBuckets) {
        out.insert(out.end(), chain.begin(), chain.end());
    }
    return out;
}
