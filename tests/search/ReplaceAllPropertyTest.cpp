// Replace All is computed in one pass; these tests hold it against the plain
// definition: replace the first non-empty match at or after the caret, put
// the caret after the inserted text, and repeat until nothing is found.  The
// reference searches with the standard library's ECMAScript engine, over
// patterns whose matches need no text before the start point.

#include "search/TextSearcher.h"

#include <gtest/gtest.h>

#include <random>
// GCC 12 warns falsely inside <regex> in the sanitizer build.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#include <string>

namespace quillo::search {
namespace {

struct TCase {
    std::string Text;
    std::string Pattern;
    std::string Template;
    bool Engine = true;
    bool MatchCase = true;
    std::size_t From = 0;
};

struct TOutcome {
    std::string Text;
    long Caret = -1; // -1: nothing replaced
};

std::string Expand(const std::smatch& m, const std::string& templ) {
    return m.format(templ, std::regex_constants::format_default);
}

// One pass: the first non-empty match at or after `caret`, or npos.
std::size_t FindFrom(const std::string& text, std::size_t caret, const TCase& c,
                     std::size_t& length, std::string& replacement) {
    if (!c.Engine) {
        for (std::size_t p = caret; p + c.Pattern.size() <= text.size(); ++p) {
            bool same = true;
            for (std::size_t k = 0; k < c.Pattern.size() && same; ++k) {
                const char a = text[p + k];
                const char b = c.Pattern[k];
                same = c.MatchCase ? a == b : std::tolower(a) == std::tolower(b);
            }
            if (same) {
                length = c.Pattern.size();
                replacement = c.Template;
                return p;
            }
        }
        return std::string::npos;
    }
    auto flags = std::regex::ECMAScript;
    if (!c.MatchCase) {
        flags |= std::regex::icase;
    }
    const std::regex re(c.Pattern, flags);
    for (std::size_t p = caret; p <= text.size(); ++p) {
        std::smatch m;
        const auto mflags =
            p > 0 ? std::regex_constants::match_prev_avail : std::regex_constants::match_default;
        if (!std::regex_search(text.begin() + static_cast<long>(p), text.end(), m, re, mflags)) {
            return std::string::npos;
        }
        if (m.length(0) > 0) {
            length = static_cast<std::size_t>(m.length(0));
            replacement = Expand(m, c.Template);
            return static_cast<std::size_t>(m.position(0)) + p;
        }
        p += static_cast<std::size_t>(m.position(0)); // an empty match: move one further
    }
    return std::string::npos;
}

TOutcome PassByPass(const TCase& c) {
    TOutcome out{c.Text, -1};
    std::size_t caret = c.From;
    for (int guard = 0; guard < 10000; ++guard) {
        std::size_t length = 0;
        std::string replacement;
        const std::size_t p = FindFrom(out.Text, caret, c, length, replacement);
        if (p == std::string::npos) {
            return out;
        }
        out.Text.replace(p, length, replacement);
        caret = p + replacement.size();
        out.Caret = static_cast<long>(caret);
    }
    ADD_FAILURE() << "reference did not end";
    return out;
}

TOutcome OnePass(const TCase& c) {
    TTextSearcher searcher(QString::fromStdString(c.Pattern), c.Engine, c.MatchCase);
    const TReplaceResult r =
        searcher.ReplaceAll(QString::fromStdString(c.Text), static_cast<qsizetype>(c.From),
                            QString::fromStdString(c.Template));
    return {r.Text.toStdString(), static_cast<long>(r.CaretAfter)};
}

class RandomCases {
public:
    explicit RandomCases(unsigned seed) : FRandom(seed) {}

    TCase Next(bool engine) {
        TCase c;
        c.Engine = engine;
        c.MatchCase = Pick(2) == 0;
        static const char* const pieces[] = {"a", "b", "A", "B", " ", "ab", "\r\n"};
        const int n = Pick(14);
        for (int i = 0; i < n; ++i) {
            c.Text += pieces[Pick(std::size(pieces))];
        }
        if (engine) {
            static const char* const atoms[] = {"a",  "b",    "A",     "[ab]",   "a*",
                                                "b+", "a?",   "(a|b)", "(ab|a)", "(a)",
                                                "x*", "[^b]", "(b)*",  " ",      "B"};
            const int atomsCount = 1 + Pick(3);
            for (int i = 0; i < atomsCount; ++i) {
                c.Pattern += atoms[Pick(std::size(atoms))];
            }
            static const char* const templates[] = {"", "x", "$&", "$&$&", "<$1>", "$$", "aa"};
            c.Template = templates[Pick(std::size(templates))];
        } else {
            static const char* const literals[] = {"a", "b", "A", "ab", "aa", "a b", "b\r\n"};
            c.Pattern = literals[Pick(std::size(literals))];
            static const char* const replacements[] = {"", "x", "a", "aa", "$&", "Ab"};
            c.Template = replacements[Pick(std::size(replacements))];
        }
        c.From = static_cast<std::size_t>(Pick(static_cast<int>(c.Text.size()) + 1));
        if (c.From > 0 && c.From < c.Text.size() && c.Text[c.From - 1] == '\r') {
            --c.From; // never between CR and LF
        }
        return c;
    }

private:
    int Pick(std::size_t n) {
        return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(FRandom);
    }
    std::mt19937 FRandom;
};

// Returns whether anything was replaced.
bool ExpectSame(const TCase& c) {
    const TOutcome expected = PassByPass(c);
    const TOutcome actual = OnePass(c);
    EXPECT_EQ(actual.Text, expected.Text)
        << "pattern " << c.Pattern << " template " << c.Template << " from " << c.From;
    EXPECT_EQ(actual.Caret, expected.Caret)
        << "pattern " << c.Pattern << " template " << c.Template << " from " << c.From;
    return expected.Caret >= 0;
}

TEST(ReplaceAllProperty, EngineOnePassEqualsPassByPass) {
    RandomCases cases(20240607);
    int replaced = 0;
    for (int i = 0; i < 3000 && !::testing::Test::HasFailure(); ++i) {
        replaced += ExpectSame(cases.Next(true)) ? 1 : 0;
    }
    EXPECT_GT(replaced, 1000); // the cases are not trivially empty
}

TEST(ReplaceAllProperty, LiteralOnePassEqualsPassByPass) {
    RandomCases cases(7);
    int replaced = 0;
    for (int i = 0; i < 3000 && !::testing::Test::HasFailure(); ++i) {
        replaced += ExpectSame(cases.Next(false)) ? 1 : 0;
    }
    EXPECT_GT(replaced, 500);
}

} // namespace
} // namespace quillo::search
