#include "differential.h"

#include "regex/errors.h"
#include "regex/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <random>
#include <vector>

namespace {

// Deliberate dialect differences kept out of the generator:
//   - ^ and $ stand only at the very start and end (elsewhere they are literals here);
//   - \Z, \K, \G, \X, \R, conditions and calls are not generated (\K takes the rest of its
//     group; the others have engine-specific details);
//   - look-behind bodies are fixed-length alternatives without captures;
//   - the width and kana options have no counterpart.
class TGenerator {
public:
    explicit TGenerator(std::uint64_t seed) : FRandom(seed) {}

    std::u16string Expression() {
        FGroups = 0;
        FClosed.clear();
        std::u16string body = Union(0);
        std::u16string out;
        if (Chance(10)) {
            out += u"^";
        }
        out += body;
        if (Chance(10)) {
            out += u"$";
        }
        return out;
    }

    std::u16string Subject() {
        static const char16_t alphabet[] = u"aabbcc  1\nあアa";
        std::u16string s;
        const int n = Int(0, 12);
        for (int i = 0; i < n; ++i) {
            s.push_back(alphabet[Int(0, 12)]);
        }
        return s;
    }

    bool Chance(int percent) { return Int(0, 99) < percent; }
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FRandom); }

private:
    std::u16string Union(int depth) {
        std::u16string s = Sequence(depth);
        while (depth < 3 && Chance(20)) {
            s += u"|" + Sequence(depth);
        }
        return s;
    }

    std::u16string Sequence(int depth) {
        std::u16string s;
        const int n = Int(1, 4);
        for (int i = 0; i < n; ++i) {
            s += Repeat(depth);
        }
        return s;
    }

    std::u16string Repeat(int depth) {
        std::u16string atom = Atom(depth);
        if (atom.empty() || !Chance(35)) {
            return atom;
        }
        static const char16_t* const quantifiers[] = {u"?",     u"*",    u"+",    u"{2}",
                                                      u"{1,3}", u"{2,}", u"{0,2}"};
        atom += quantifiers[Int(0, 6)];
        const int suffix = Int(0, 9);
        if (suffix == 0) {
            atom += u"?";
        } else if (suffix == 1) {
            atom += u"+";
        }
        return atom;
    }

    std::u16string Literal() {
        static const char16_t* const literals[] = {u"a", u"b", u"c",   u"あ", u"ア",
                                                   u" ", u"1", u"\\n", u"ab"};
        return literals[Int(0, 8)];
    }

    std::u16string Class() {
        static const char16_t* const classes[] = {u"[ab]",     u"[^a]",   u"[a-c]",  u"[^b-c ]",
                                                  u"[\\d\\s]", u"[あア]", u"[^\\w]", u"[a-b1]"};
        return classes[Int(0, 7)];
    }

    std::u16string FixedBody() {
        std::u16string s;
        const int n = Int(1, 2);
        for (int i = 0; i < n; ++i) {
            s += Chance(50) ? Literal() : Class();
        }
        return s;
    }

    std::u16string Atom(int depth) {
        const int kind = Int(0, depth >= 3 ? 5 : 13);
        switch (kind) {
        case 0:
        case 1:
        case 2:
            return Literal();
        case 3:
            return Class();
        case 4: {
            static const char16_t* const escapes[] = {u".",   u"\\d", u"\\w", u"\\s",
                                                      u"\\W", u"\\b", u"\\B"};
            return escapes[Int(0, 6)];
        }
        case 5:
            if (!FClosed.empty() && Chance(60)) {
                return u"\\" + Number(FClosed[static_cast<std::size_t>(
                                   Int(0, static_cast<int>(FClosed.size()) - 1))]);
            }
            return Literal();
        case 6:
        case 7: {
            const int index = ++FGroups;
            std::u16string s = u"(" + Union(depth + 1) + u")";
            FClosed.push_back(index);
            return s;
        }
        case 8:
            return u"(?:" + Union(depth + 1) + u")";
        case 9:
            return (Chance(50) ? u"(?=" : u"(?!") + Union(depth + 1) + u")";
        case 10: {
            std::u16string s = Chance(50) ? u"(?<=" : u"(?<!";
            s += FixedBody();
            if (Chance(30)) {
                s += u"|" + FixedBody();
            }
            return s + u")";
        }
        case 11:
            return u"(?>" + Union(depth + 1) + u")";
        case 12: {
            const int index = ++FGroups;
            const std::u16string name = u"n" + Number(index);
            std::u16string s = u"(?<" + name + u">" + Union(depth + 1) + u")";
            FClosed.push_back(index);
            if (Chance(50)) {
                s += u"\\k<" + name + u">";
            }
            return s;
        }
        default:
            return Literal() + Literal();
        }
    }

    static std::u16string Number(int n) {
        std::u16string s;
        for (char c : std::to_string(n)) {
            s.push_back(static_cast<char16_t>(c));
        }
        return s;
    }

    std::mt19937_64 FRandom;
    int FGroups = 0;
    std::vector<int> FClosed;
};

std::string Utf8(const std::u16string& s) {
    return ToUtf8(s);
}

} // namespace

TDiffCase RandomDiffCase(std::uint64_t Seed) {
    TGenerator g(Seed);
    TDiffCase c;
    c.Expression = g.Expression();
    c.Subject = g.Subject();
    c.IgnoreCase = g.Chance(20);
    return c;
}

std::string CompareWithPcre(const TDiffCase& Case) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    // PCRE2's start-of-match and auto-possessive optimizations are left out: the installed
    // version misses matches with them (for example (?= )b*  on "bア ab").
    const std::uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_DOLLAR_ENDONLY |
                                  PCRE2_NO_START_OPTIMIZE | PCRE2_NO_AUTO_POSSESS |
                                  (Case.IgnoreCase ? PCRE2_CASELESS : 0);
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Case.Expression.data()),
                                     Case.Expression.size(), options, &error, &offset, nullptr);
    if (code == nullptr) {
        return {};
    }
    TRxRegExp re;
    re.SetExpression(Case.Expression);
    re.SetIgnoreCase(Case.IgnoreCase);
    try {
        re.Compile();
    } catch (const ERxRegExpCompile&) {
        pcre2_code_free(code);
        return {};
    }
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    std::string diff;
    const auto subject = reinterpret_cast<PCRE2_SPTR>(Case.Subject.data());
    const PCRE2_SIZE length = Case.Subject.size();
    PCRE2_SIZE start = 0;
    bool ours = false;
    try {
        ours = re.Exec(Case.Subject);
    } catch (const ERxRegExpRuntime&) {
        // The backtracking limit, like PCRE2's match limit below, ends the comparison.
        pcre2_match_data_free(data);
        pcre2_code_free(code);
        return {};
    }
    for (int round = 0; round < 4 && diff.empty(); ++round) {
        const int rc =
            start <= length ? pcre2_match(code, subject, length, start, 0, data, nullptr) : -1;
        if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT) {
            break;
        }
        const bool theirs = rc >= 0;
        if (ours != theirs) {
            diff = std::string("match ") + (ours ? "here" : "none") + " / " +
                   (theirs ? "pcre" : "none");
            break;
        }
        if (!ours) {
            break;
        }
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
        const int groups = re.GroupCount();
        for (int g = 0; g <= groups && diff.empty(); ++g) {
            const bool set = g < rc && ov[2 * g] != PCRE2_UNSET;
            const bool mine = re.Groups()[g].Matched();
            if (set != mine ||
                (set && (static_cast<PCRE2_SIZE>(re.MatchPos(g) - 1) != ov[2 * g] ||
                         static_cast<PCRE2_SIZE>(re.MatchLen(g)) != ov[2 * g + 1] - ov[2 * g]))) {
                diff =
                    "round " + std::to_string(round) + " group " + std::to_string(g) + ": here " +
                    (mine
                         ? std::to_string(re.MatchPos(g) - 1) + "+" + std::to_string(re.MatchLen(g))
                         : "-") +
                    " / pcre " +
                    (set ? std::to_string(ov[2 * g]) + "+" +
                               std::to_string(ov[2 * g + 1] - ov[2 * g])
                         : "-");
            }
        }
        start = ov[1] == ov[0] ? ov[1] + 1 : ov[1];
        try {
            ours = re.ExecNext();
        } catch (const ERxRegExpRuntime&) {
            break;
        }
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    if (!diff.empty()) {
        diff = "/" + Utf8(Case.Expression) + "/" + (Case.IgnoreCase ? "i" : "") + " on \"" +
               Utf8(Case.Subject) + "\": " + diff;
    }
    return diff;
}
