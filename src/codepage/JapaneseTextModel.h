#pragma once

#include <cstddef>

namespace quillo::codepage {

// Log-likelihood of UTF-16 units as Japanese (or English) text: a prior per
// kind of character spread over the characters of that kind, a small reward for
// runs of one kind, and the rules of half-width katakana spelling.  Comparing the
// scores of one byte buffer decoded in several codes tells which code makes the
// most natural text.  Lone surrogates (undecodable bytes) cost the most.
class JapaneseTextModel {
public:
    void add(char16_t u);
    void add(const char16_t* units, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            add(units[i]);
        }
    }
    double score() const { return score_; }
    std::size_t invalid() const { return invalid_; }

private:
    double score_ = 0;
    std::size_t invalid_ = 0;
    int prevKind_ = -1;
    char16_t prev_ = 0;
};

} // namespace quillo::codepage
