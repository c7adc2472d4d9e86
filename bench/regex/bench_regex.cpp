// The searches an editor meets, over about 32 MB of mixed Japanese and English text with CR LF
// line ends (the manual pages of the system, read at start-up), with this engine, with PCRE2
// (interpreter and JIT) and, when they were found at configuration, with Oniguruma (UTF-16LE)
// and RE2 (on the same text in UTF-8; its throughput is still counted per UTF-16 byte, so that
// the times compare directly).
// Every benchmark counts all matches; a peer whose count differs from this engine's fails its
// row. Throughput is reported per UTF-16 byte of the corpus. The nested-repetition cases run
// n 'a's followed by a character that makes the match fail; a peer that gives up there with
// its backtracking limit says so in its row ("stopped") instead of a match result.
#include "regex/errors.h"
#include "regex/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>
#include <zlib.h>
#ifdef QUILLO_BENCH_ONIGURUMA
#include <oniguruma.h>
#endif
#ifdef QUILLO_BENCH_RE2
#include <re2/re2.h>
#endif

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::u16string& Corpus() {
    static const std::u16string corpus = [] {
        std::string utf8;
        const char* roots[] = {"/usr/share/man/ja", "/usr/share/man"};
        constexpr std::size_t kTarget = 32u << 20; // UTF-8 bytes
        for (const char* root : roots) {
            std::error_code ec;
            for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
                 it != std::filesystem::recursive_directory_iterator() && utf8.size() < kTarget;
                 it.increment(ec)) {
                if (it->path().extension() != ".gz") {
                    continue;
                }
                gzFile f = gzopen(it->path().c_str(), "rb");
                if (f == nullptr) {
                    continue;
                }
                char buffer[65536];
                int n = 0;
                while ((n = gzread(f, buffer, sizeof buffer)) > 0) {
                    utf8.append(buffer, static_cast<std::size_t>(n));
                }
                gzclose(f);
            }
        }
        std::u16string text;
        for (char16_t c : FromUtf8(utf8)) {
            if (c == u'\n') {
                text += u"\r\n";
            } else {
                text.push_back(c);
            }
        }
        return text;
    }();
    return corpus;
}

struct TPattern {
    const char* Ours;
    // The same search in PCRE2's dialect where it differs from ours, else nullptr: PCRE2 reads
    // \p{Han} as the script extension, which takes in the marks and punctuation Han shares with
    // kana (々 〆 、 。 and more); this engine reads it as the script.
    const char* Pcre2;
    // The same in RE2's dialect where it differs, else nullptr; "" where RE2 has no way to say
    // it (back-references, look-behind). RE2's \w, \d, \s and \b are ASCII only.
    const char* Re2 = nullptr;
};

const TPattern kPatterns[] = {
    {"include", nullptr},  // ASCII literal
    {"ファイル", nullptr}, // Japanese literal
    {"(?i)FILE", nullptr}, // case-insensitive literal
    {"option|file|directory|user|default", nullptr},
    {"[A-Za-z_][A-Za-z0-9_]*", nullptr},
    {"\\d+", nullptr, "\\p{Nd}+"},
    {"[\\w.+-]+@[\\w-]+\\.[\\w.-]+", nullptr,
     "[\\pL\\pN\\pM\\p{Pc}.+-]+@[\\pL\\pN\\pM\\p{Pc}-]+\\.[\\pL\\pN\\pM\\p{Pc}.-]+"},
    {"https?://[\\w./?=&%-]+", nullptr, "https?://[\\pL\\pN\\pM\\p{Pc}./?=&%-]+"},
    {"\\p{Han}+", "\\p{sc=Han}+"},
    {"(?m)^\\s+\\S", nullptr, "(?m)^[\\s\\p{Z}\\x{85}]+[^\\s\\p{Z}\\x{85}]"},
    {"\\b(\\w+)\\s+\\1\\b", nullptr, ""},
    {"(?m)^.*error.*$", nullptr},
    {"(?<=\\.)[A-Z]\\w+", nullptr, ""},
    // Patterns not led by a literal.
    {"error|warning|option|default|value", nullptr},
    {"[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,}", nullptr},
    {"(?<=「)[^」\\r\\n]+", nullptr, ""},
    {"(?:https?|ftp)://[^\\s<>\"]+", nullptr, "(?:https?|ftp)://[^\\s\\p{Z}\\x{85}<>\"]+"},
};

std::u16string Pcre2Pattern(int index) {
    const TPattern& p = kPatterns[index];
    return FromUtf8(p.Pcre2 != nullptr ? p.Pcre2 : p.Ours);
}

int CountOurs(TRxRegExp& re, const std::u16string& text) {
    int count = 0;
    for (bool ok = re.Exec(text); ok; ok = re.ExecNext()) {
        ++count;
    }
    return count;
}

int Reference(int index) {
    static std::vector<int> counts(std::size(kPatterns), -1);
    if (counts[static_cast<std::size_t>(index)] < 0) {
        TRxRegExp re;
        re.SetExpression(FromUtf8(kPatterns[index].Ours));
        counts[static_cast<std::size_t>(index)] = CountOurs(re, Corpus());
    }
    return counts[static_cast<std::size_t>(index)];
}

void Report(benchmark::State& state, const std::u16string& pattern, int count) {
    state.SetLabel(ToUtf8(pattern));
    state.counters["matches"] = count;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Corpus().size() * 2));
}

void CheckCount(benchmark::State& state, int index, int count) {
    if (count != Reference(index)) {
        state.SkipWithError(("match counts differ: " + std::to_string(count) + " against " +
                             std::to_string(Reference(index)))
                                .c_str());
    }
}

void BM_Quillo(benchmark::State& state) {
    const auto index = static_cast<int>(state.range(0));
    TRxRegExp re;
    re.SetExpression(FromUtf8(kPatterns[index].Ours));
    const std::u16string& text = Corpus(); // read before the clock starts
    int count = 0;
    for (auto _ : state) {
        count = CountOurs(re, text);
    }
    state.SetLabel(kPatterns[index].Ours);
    state.counters["matches"] = count;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Corpus().size() * 2));
}

// ---- PCRE2 ----

pcre2_code* CompilePcre(const std::u16string& pattern, bool jit) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     PCRE2_UTF | PCRE2_UCP, &error, &offset, nullptr);
    if (code != nullptr && jit) {
        pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    }
    return code;
}

// The number of matches, or PCRE2's (negative) error code when a search gave up.
int CountPcre(pcre2_code* code, pcre2_match_data* data, const std::u16string& text) {
    int count = 0;
    PCRE2_SIZE start = 0;
    const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    while (start <= text.size()) {
        const int rc =
            pcre2_match(code, subject, text.size(), start, PCRE2_NO_UTF_CHECK, data, nullptr);
        if (rc == PCRE2_ERROR_NOMATCH) {
            break;
        }
        if (rc < 0) {
            return rc;
        }
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
        start = ov[1] == ov[0] ? ov[1] + 1 : ov[1];
        ++count;
    }
    return count;
}

std::string PcreError(int rc) {
    PCRE2_UCHAR buffer[256];
    const int n = pcre2_get_error_message(rc, buffer, std::size(buffer));
    return n < 0 ? "error " + std::to_string(rc)
                 : ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(buffer),
                                         static_cast<std::size_t>(n)));
}

void BM_Pcre2(benchmark::State& state, bool jit) {
    const auto index = static_cast<int>(state.range(0));
    const std::u16string pattern = Pcre2Pattern(index);
    pcre2_code* code = CompilePcre(pattern, jit);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const std::u16string& text = Corpus();
    int count = 0;
    for (auto _ : state) {
        count = CountPcre(code, data, text);
    }
    if (count < 0) {
        state.SkipWithError(("PCRE2 stopped: " + PcreError(count)).c_str());
    } else {
        CheckCount(state, index, count);
    }
    Report(state, pattern, count);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
}

void BM_Pcre2Interpreter(benchmark::State& state) {
    BM_Pcre2(state, false);
}
void BM_Pcre2Jit(benchmark::State& state) {
    BM_Pcre2(state, true);
}

// ---- Oniguruma ----

#ifdef QUILLO_BENCH_ONIGURUMA

class TOniguruma {
public:
    // Perl's syntax with named groups: (?m) is Perl's multi-line mode (Ruby's
    // would be dot-all), (?<=), (?i), \p{...} and back-references read as in ours.
    explicit TOniguruma(const std::u16string& pattern) {
        static const bool initialised = [] {
            OnigEncoding encodings[] = {ONIG_ENCODING_UTF16_LE};
            return onig_initialize(encodings, 1) == ONIG_NORMAL;
        }();
        OnigErrorInfo info{};
        const auto* p = reinterpret_cast<const OnigUChar*>(pattern.data());
        if (!initialised ||
            onig_new(&FRegex, p, p + pattern.size() * 2, ONIG_OPTION_NONE, ONIG_ENCODING_UTF16_LE,
                     ONIG_SYNTAX_PERL_NG, &info) != ONIG_NORMAL) {
            FRegex = nullptr;
        }
        FRegion = onig_region_new();
    }
    ~TOniguruma() {
        onig_region_free(FRegion, 1);
        if (FRegex != nullptr) {
            onig_free(FRegex);
        }
    }
    TOniguruma(const TOniguruma&) = delete;
    TOniguruma& operator=(const TOniguruma&) = delete;

    bool Valid() const { return FRegex != nullptr; }

    // The number of matches, or Oniguruma's (negative) error code when a search gave up.
    int Count(const std::u16string& text) {
        const auto* top = reinterpret_cast<const OnigUChar*>(text.data());
        const OnigUChar* end = top + text.size() * 2;
        int count = 0;
        const OnigUChar* start = top;
        while (start <= end) {
            const int rc = onig_search(FRegex, top, end, start, end, FRegion, ONIG_OPTION_NONE);
            if (rc == ONIG_MISMATCH) {
                break;
            }
            if (rc < 0) {
                return rc;
            }
            const OnigUChar* b = top + FRegion->beg[0];
            const OnigUChar* e = top + FRegion->end[0];
            start = e == b ? e + 2 : e;
            ++count;
        }
        return count;
    }

    static std::string Error(int rc) {
        OnigUChar buffer[ONIG_MAX_ERROR_MESSAGE_LEN];
        onig_error_code_to_str(buffer, rc);
        return reinterpret_cast<const char*>(buffer);
    }

private:
    OnigRegex FRegex = nullptr;
    OnigRegion* FRegion = nullptr;
};

void BM_Oniguruma(benchmark::State& state) {
    const auto index = static_cast<int>(state.range(0));
    const std::u16string pattern = FromUtf8(kPatterns[index].Ours);
    TOniguruma onig(pattern);
    if (!onig.Valid()) {
        state.SkipWithError("Oniguruma does not compile the expression");
        return;
    }
    const std::u16string& text = Corpus();
    int count = 0;
    for (auto _ : state) {
        count = onig.Count(text);
    }
    if (count < 0) {
        state.SkipWithError(("Oniguruma stopped: " + TOniguruma::Error(count)).c_str());
    } else {
        CheckCount(state, index, count);
    }
    Report(state, pattern, count);
}

#endif

// ---- RE2 ----

#ifdef QUILLO_BENCH_RE2

const std::string& CorpusUtf8() {
    static const std::string utf8 = ToUtf8(Corpus());
    return utf8;
}

int CountRe2(const re2::RE2& re, const std::string& text) {
    int count = 0;
    std::size_t start = 0;
    re2::StringPiece match;
    while (start <= text.size() &&
           re.Match(text, start, text.size(), re2::RE2::UNANCHORED, &match, 1)) {
        const auto begin = static_cast<std::size_t>(match.data() - text.data());
        std::size_t end = begin + match.size();
        if (end == begin) {
            // Past the whole character, as the other engines step past one unit.
            ++end;
            while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
                ++end;
            }
        }
        start = end;
        ++count;
    }
    return count;
}

void BM_Re2(benchmark::State& state) {
    const auto index = static_cast<int>(state.range(0));
    const TPattern& p = kPatterns[index];
    const std::string pattern = p.Re2 != nullptr ? p.Re2 : p.Ours;
    if (pattern.empty()) {
        state.SkipWithError("RE2 has no way to say this search");
        return;
    }
    re2::RE2::Options options;
    options.set_max_mem(int64_t{1} << 30);
    options.set_log_errors(false);
    const re2::RE2 re(pattern, options);
    if (!re.ok()) {
        state.SkipWithError(("RE2 does not compile the expression: " + re.error()).c_str());
        return;
    }
    const std::string& text = CorpusUtf8();
    int count = 0;
    for (auto _ : state) {
        count = CountRe2(re, text);
    }
    CheckCount(state, index, count);
    state.SetLabel(pattern);
    state.counters["matches"] = count;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Corpus().size() * 2));
}

#endif

// ---- Nested repetitions ----

// Nested repetitions on n 'a's and a failing last character: the explosion memo keeps them
// polynomial; the peers' backtracking limits stop them.
const char* const kCatastrophic[] = {"(a|a)*b", "(a+)+b", "(\\w+\\s?)*$", "^(a|aa)+$"};

std::u16string CatastrophicSubject(std::size_t index, std::size_t n) {
    std::u16string subject(n, u'a');
    subject += index == 2 ? u'!' : u'c';
    return subject;
}

// "matched" is 1 or 0 for a result; "stopped" is 1 when the engine gave up on a limit, and the
// label names the limit.
void ReportCatastrophic(benchmark::State& state, std::size_t index, int result,
                        const std::string& stopped) {
    state.counters["matched"] = result > 0 ? 1 : 0;
    state.counters["stopped"] = stopped.empty() ? 0 : 1;
    state.SetLabel(std::string(kCatastrophic[index]) +
                   (stopped.empty() ? "" : " stopped: " + stopped));
}

void BM_CatastrophicQuillo(benchmark::State& state) {
    const auto index = static_cast<std::size_t>(state.range(0));
    const std::u16string subject =
        CatastrophicSubject(index, static_cast<std::size_t>(state.range(1)));
    TRxRegExp re;
    re.SetExpression(FromUtf8(kCatastrophic[index]));
    int result = 0;
    std::string stopped;
    for (auto _ : state) {
        try {
            result = re.Exec(subject) ? 1 : 0;
        } catch (const ERxRegExpRuntime& e) {
            stopped = e.what();
        }
    }
    ReportCatastrophic(state, index, result, stopped);
}

void BM_CatastrophicPcre2(benchmark::State& state, bool jit) {
    const auto index = static_cast<std::size_t>(state.range(0));
    const std::u16string subject =
        CatastrophicSubject(index, static_cast<std::size_t>(state.range(1)));
    pcre2_code* code = CompilePcre(FromUtf8(kCatastrophic[index]), jit);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    int rc = 0;
    for (auto _ : state) {
        rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0,
                         PCRE2_NO_UTF_CHECK, data, nullptr);
    }
    ReportCatastrophic(state, index, rc >= 0 ? 1 : 0,
                       rc >= 0 || rc == PCRE2_ERROR_NOMATCH ? "" : PcreError(rc));
    pcre2_match_data_free(data);
    pcre2_code_free(code);
}

void BM_CatastrophicPcre2Interpreter(benchmark::State& state) {
    BM_CatastrophicPcre2(state, false);
}
void BM_CatastrophicPcre2Jit(benchmark::State& state) {
    BM_CatastrophicPcre2(state, true);
}

#ifdef QUILLO_BENCH_ONIGURUMA
void BM_CatastrophicOniguruma(benchmark::State& state) {
    const auto index = static_cast<std::size_t>(state.range(0));
    const std::u16string subject =
        CatastrophicSubject(index, static_cast<std::size_t>(state.range(1)));
    TOniguruma onig(FromUtf8(kCatastrophic[index]));
    int rc = 0;
    for (auto _ : state) {
        rc = onig.Count(subject);
    }
    ReportCatastrophic(state, index, rc, rc >= 0 ? "" : TOniguruma::Error(rc));
}
#endif

void PatternArgs(benchmark::internal::Benchmark* b) {
    for (int i = 0; i < static_cast<int>(std::size(kPatterns)); ++i) {
        b->Arg(i);
    }
    b->Unit(benchmark::kMillisecond);
}

void CatastrophicArgs(benchmark::internal::Benchmark* b) {
    b->ArgsProduct({{0, 1, 2, 3}, {1024, 10000}})->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Quillo)->Apply(PatternArgs);
BENCHMARK(BM_Pcre2Interpreter)->Apply(PatternArgs);
BENCHMARK(BM_Pcre2Jit)->Apply(PatternArgs);
#ifdef QUILLO_BENCH_ONIGURUMA
BENCHMARK(BM_Oniguruma)->Apply(PatternArgs);
#endif
#ifdef QUILLO_BENCH_RE2
BENCHMARK(BM_Re2)->Apply(PatternArgs);
#endif
BENCHMARK(BM_CatastrophicQuillo)->Apply(CatastrophicArgs);
BENCHMARK(BM_CatastrophicPcre2Interpreter)->Apply(CatastrophicArgs);
BENCHMARK(BM_CatastrophicPcre2Jit)->Apply(CatastrophicArgs);
#ifdef QUILLO_BENCH_ONIGURUMA
BENCHMARK(BM_CatastrophicOniguruma)->Apply(CatastrophicArgs);
#endif

BENCHMARK_MAIN();
