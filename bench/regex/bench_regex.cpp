// The searches an editor meets, over about 32 MB of mixed Japanese and English text with CR LF
// line ends (the manual pages of the system, read at start-up), with this engine and with PCRE2
// (interpreter and JIT). Every benchmark counts all matches; the counts of the engines must
// agree. Throughput is reported per UTF-16 byte of the corpus. The nested-repetition cases run
// n 'a's followed by a character that makes the match fail.
#include "regex/errors.h"
#include "regex/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>
#include <zlib.h>

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

const char* const kPatterns[] = {
    "include",  // ASCII literal
    "ファイル", // Japanese literal
    "(?i)FILE", // case-insensitive literal
    "option|file|directory|user|default",
    "[A-Za-z_][A-Za-z0-9_]*",
    "\\d+",
    "[\\w.+-]+@[\\w-]+\\.[\\w.-]+",
    "https?://[\\w./?=&%-]+",
    "\\p{Han}+",
    "(?m)^\\s+\\S",
    "\\b(\\w+)\\s+\\1\\b",
    "(?m)^.*error.*$",
    "(?<=\\.)[A-Z]\\w+",
};

int CountOurs(TRxRegExp& re, const std::u16string& text) {
    int count = 0;
    for (bool ok = re.Exec(text); ok; ok = re.ExecNext()) {
        ++count;
    }
    return count;
}

int CountPcre(pcre2_code* code, pcre2_match_data* data, const std::u16string& text) {
    int count = 0;
    PCRE2_SIZE start = 0;
    const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    while (start <= text.size() &&
           pcre2_match(code, subject, text.size(), start, PCRE2_NO_UTF_CHECK, data, nullptr) >= 0) {
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
        start = ov[1] == ov[0] ? ov[1] + 1 : ov[1];
        ++count;
    }
    return count;
}

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

int Reference(int index) {
    static std::vector<int> counts(std::size(kPatterns), -1);
    if (counts[static_cast<std::size_t>(index)] < 0) {
        TRxRegExp re;
        re.SetExpression(FromUtf8(kPatterns[index]));
        counts[static_cast<std::size_t>(index)] = CountOurs(re, Corpus());
    }
    return counts[static_cast<std::size_t>(index)];
}

void BM_Quillo(benchmark::State& state) {
    const auto index = static_cast<int>(state.range(0));
    TRxRegExp re;
    re.SetExpression(FromUtf8(kPatterns[index]));
    const std::u16string& text = Corpus(); // read before the clock starts
    int count = 0;
    for (auto _ : state) {
        count = CountOurs(re, text);
    }
    state.SetLabel(kPatterns[index]);
    state.counters["matches"] = count;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Corpus().size() * 2));
}

void BM_Pcre2(benchmark::State& state, bool jit) {
    const auto index = static_cast<int>(state.range(0));
    pcre2_code* code = CompilePcre(FromUtf8(kPatterns[index]), jit);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const std::u16string& text = Corpus();
    int count = 0;
    for (auto _ : state) {
        count = CountPcre(code, data, text);
    }
    // PCRE2 matches scripts by their script extensions, this engine by the script alone.
    const bool sameDialect = std::string(kPatterns[index]).find("\\p{") == std::string::npos;
    if (sameDialect && count != Reference(index)) {
        state.SkipWithError("match counts differ");
    }
    state.SetLabel(kPatterns[index]);
    state.counters["matches"] = count;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Corpus().size() * 2));
    pcre2_match_data_free(data);
    pcre2_code_free(code);
}

void BM_Pcre2Interpreter(benchmark::State& state) {
    BM_Pcre2(state, false);
}
void BM_Pcre2Jit(benchmark::State& state) {
    BM_Pcre2(state, true);
}

// Nested repetitions on n 'a's and a failing last character: the explosion memo keeps them
// polynomial.
const char* const kCatastrophic[] = {"(a|a)*b", "(a+)+b", "(\\w+\\s?)*$", "^(a|aa)+$"};

void BM_Catastrophic(benchmark::State& state) {
    const auto index = static_cast<std::size_t>(state.range(0));
    const auto n = static_cast<std::size_t>(state.range(1));
    std::u16string subject(n, u'a');
    subject += index == 2 ? u'!' : u'c';
    TRxRegExp re;
    re.SetExpression(FromUtf8(kCatastrophic[index]));
    bool matched = false;
    for (auto _ : state) {
        matched = re.Exec(subject);
    }
    state.SetLabel(kCatastrophic[index]);
    state.counters["matched"] = matched;
}

void PatternArgs(benchmark::internal::Benchmark* b) {
    for (int i = 0; i < static_cast<int>(std::size(kPatterns)); ++i) {
        b->Arg(i);
    }
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Quillo)->Apply(PatternArgs);
BENCHMARK(BM_Pcre2Interpreter)->Apply(PatternArgs);
BENCHMARK(BM_Pcre2Jit)->Apply(PatternArgs);
BENCHMARK(BM_Catastrophic)
    ->ArgsProduct({{0, 1, 2, 3}, {1024, 10000}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
