// The text engine's storage on a 1-million-line Japanese text: building the
// line index, single-unit edits (with and without moving the gap), the line
// queries, and the contiguous view the search reads.

#include "document/EditHistory.h"
#include "document/LineIndex.h"
#include "document/TextBuffer.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <chrono>
#include <random>
#include <vector>

using quillo::document::TEditHistory;
using quillo::document::TLineIndex;
using quillo::document::TTextBuffer;

namespace {

constexpr int kLines = 1000 * 1000;

// Lines of 78 to 148 units of kana and kanji, each ended by CR LF: about 115 M units.
const QString& Corpus() {
    static const QString text = [] {
        const QString pool = QStringLiteral(
            "\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3067\u3059\u3002\u51E6\u7406\u304C\u5B8C\u4E86"
            "\u3057\u307E\u3057\u305F\u3001\u30D5\u30A1\u30A4\u30EB\u540D\u30C7\u30FC\u30BF\u3092"
            "\u8AAD\u307F\u8FBC\u3080\u6642\u9593\u306F\u77ED\u3044\u65B9\u304C\u826F\u3044");
        std::mt19937 rng(42);
        std::uniform_int_distribution<int> length(78, 148);
        std::uniform_int_distribution<int> from(0, static_cast<int>(pool.size()) - 1);
        QString out;
        out.reserve(qsizetype{kLines} * 116);
        for (int line = 0; line < kLines; ++line) {
            const int n = length(rng);
            for (int i = 0; i < n; ++i) {
                out += pool[(from(rng) + i) % pool.size()];
            }
            out += QLatin1String("\r\n");
        }
        return out;
    }();
    return text;
}

QString DeepCopy(const QString& text) {
    return QString(text.constData(), text.size());
}

// One buffer for the edit and query benchmarks: built once, edited by all.
TTextBuffer& Buffer() {
    static TTextBuffer* buffer = [] {
        auto* b = new TTextBuffer;
        b->Assign(DeepCopy(Corpus()));
        return b;
    }();
    return *buffer;
}

TLineIndex& Index() {
    static TLineIndex* index = [] {
        auto* i = new TLineIndex;
        i->Build(reinterpret_cast<const char16_t*>(Corpus().constData()), Corpus().size());
        return i;
    }();
    return *index;
}

std::vector<qsizetype> RandomPositions(qsizetype limit, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<qsizetype> pos(0, limit);
    std::vector<qsizetype> out(1 << 16);
    for (qsizetype& p : out) {
        p = pos(rng);
    }
    return out;
}

void BM_Assign(benchmark::State& state) {
    TTextBuffer buffer;
    for (auto _ : state) {
        state.PauseTiming();
        QString text = DeepCopy(Corpus());
        state.ResumeTiming();
        buffer.Assign(std::move(text));
        benchmark::DoNotOptimize(buffer.LineCount());
    }
    const double units = static_cast<double>(buffer.Length());
    const double lines = static_cast<double>(buffer.LineCount());
    const double bytes = static_cast<double>(buffer.MemoryBytes());
    state.counters["lines"] = lines;
    state.counters["units"] = units;
    state.counters["bytes_per_unit"] = bytes / units;
    // What the index costs beyond the text's two bytes a unit.
    state.counters["index_bytes_per_line"] = (bytes - 2 * units) / lines;
}
BENCHMARK(BM_Assign)->Iterations(5)->Unit(benchmark::kMillisecond);

// The line index alone, on one thread and on two.
void BM_IndexBuild(benchmark::State& state) {
    const QString& text = Corpus();
    TLineIndex index;
    for (auto _ : state) {
        index.Build(reinterpret_cast<const char16_t*>(text.constData()), text.size(),
                    state.range(0) == 2);
        benchmark::DoNotOptimize(index.LineCount());
    }
    state.counters["threads"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_IndexBuild)->Arg(1)->Arg(2)->Iterations(5)->Unit(benchmark::kMillisecond);

// Random places: each edit moves the gap by a third of the text on average.
void BM_InsertRandom(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    const auto positions = RandomPositions(buffer.Length() - 1, 1);
    std::size_t i = 0;
    for (auto _ : state) {
        buffer.Insert(positions[i++ % positions.size()], u"\u3042");
    }
}
BENCHMARK(BM_InsertRandom)
    ->Iterations(20)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_RemoveRandom(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    const auto positions = RandomPositions(buffer.Length() - 1, 2);
    std::size_t i = 0;
    for (auto _ : state) {
        buffer.Remove(positions[i++ % positions.size()], 1);
    }
}
BENCHMARK(BM_RemoveRandom)
    ->Iterations(20)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// Start and end in turn: the worst case for the gap, the whole text each time.
void BM_InsertAlternating(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    bool end = false;
    for (auto _ : state) {
        buffer.Insert(end ? buffer.Length() : 0, u"\n");
        end = !end;
    }
}
BENCHMARK(BM_InsertAlternating)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// Typing: each insertion right after the previous one, as keystrokes come.
void BM_InsertTyping(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    qsizetype pos = buffer.LineStart(buffer.LineCount() / 3);
    for (auto _ : state) {
        buffer.Insert(pos++, u"\u3042");
    }
    // With the gap open, as it stays while the user edits.
    state.counters["bytes_per_unit"] =
        static_cast<double>(buffer.MemoryBytes()) / static_cast<double>(buffer.Length());
}
BENCHMARK(BM_InsertTyping)->Repetitions(5)->ReportAggregatesOnly(true);

// Backspace: the unit before the caret, again and again.
void BM_RemoveBackspace(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    qsizetype pos = buffer.LineStart(buffer.LineCount() / 2);
    for (auto _ : state) {
        if (pos == 0) {
            pos = buffer.Length();
        }
        buffer.Remove(--pos, 1);
    }
}
BENCHMARK(BM_RemoveBackspace)->Repetitions(5)->ReportAggregatesOnly(true);

// The index alone (what an edit costs beyond moving the gap), at random
// places and alternating between the first and the last line.
void BM_IndexInsertRandom(benchmark::State& state) {
    TLineIndex& index = Index();
    const auto positions = RandomPositions(index.Length() - 1, 3);
    std::size_t i = 0;
    // Every eighth insertion is a line break, so blocks fill up and split.
    for (auto _ : state) {
        index.Insert(positions[i % positions.size()], i % 8 == 0 ? u"\r\n" : u"\u3042");
        ++i;
    }
}
BENCHMARK(BM_IndexInsertRandom)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_IndexRemoveRandom(benchmark::State& state) {
    TLineIndex& index = Index();
    const auto positions = RandomPositions(index.Length() - 1, 4);
    std::size_t i = 0;
    for (auto _ : state) {
        index.Remove(positions[i++ % positions.size()], 1);
    }
}
BENCHMARK(BM_IndexRemoveRandom)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_IndexAlternating(benchmark::State& state) {
    TLineIndex& index = Index();
    std::size_t i = 0;
    for (auto _ : state) {
        const qsizetype pos = i % 2 == 0 ? 5 : index.Length() - 5;
        if (i % 4 < 2) {
            index.Insert(pos, u"\n");
        } else {
            index.Remove(pos, 1);
        }
        ++i;
    }
}
BENCHMARK(BM_IndexAlternating)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LineOfPos(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    const auto positions = RandomPositions(buffer.Length(), 5);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(buffer.LineOfPos(positions[i++ % positions.size()]));
    }
}
BENCHMARK(BM_LineOfPos)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LineStart(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    const auto lines = RandomPositions(buffer.LineCount() - 1, 6);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(buffer.LineStart(lines[i++ % lines.size()]));
    }
}
BENCHMARK(BM_LineStart)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LineEnd(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    const auto lines = RandomPositions(buffer.LineCount() - 1, 7);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(buffer.LineEnd(lines[i++ % lines.size()]));
    }
}
BENCHMARK(BM_LineEnd)->Repetitions(5)->ReportAggregatesOnly(true);

// The search's view after a keystroke in the middle: the gap moves to the end once.
void BM_ViewAfterMiddleEdit(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    for (auto _ : state) {
        state.PauseTiming();
        buffer.Insert(buffer.Length() / 2, u"\u3042");
        state.ResumeTiming();
        benchmark::DoNotOptimize(buffer.View().data());
    }
}
BENCHMARK(BM_ViewAfterMiddleEdit)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// A second View with no edit between costs nothing.
void BM_ViewUnchanged(benchmark::State& state) {
    TTextBuffer& buffer = Buffer();
    buffer.View();
    for (auto _ : state) {
        benchmark::DoNotOptimize(buffer.View().data());
    }
}
BENCHMARK(BM_ViewUnchanged);

// Replace All with a million matches in 50 MB (25 M units): one unit in every
// 25 becomes two.  Either each match is a change of one step, or the command
// builds the new text and hands it over whole.
constexpr qsizetype kReplaceUnits = 25 * 1000 * 1000;
constexpr qsizetype kMatchEvery = 25;

void BM_ReplaceAllByChanges(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TTextBuffer buffer;
        TEditHistory history;
        buffer.Assign(Corpus().left(kReplaceUnits));
        state.ResumeTiming();
        history.BeginStep();
        qsizetype grown = 0;
        for (qsizetype pos = 0; pos < kReplaceUnits; pos += kMatchEvery) {
            history.Change(buffer, pos + grown, 1, u"AB", false, 0, 0);
            ++grown;
        }
        history.EndStep();
        benchmark::DoNotOptimize(buffer.Length());
        state.PauseTiming();
        // Undo is measured apart: it is what the user waits for next.
        const auto start = std::chrono::steady_clock::now();
        history.Undo(buffer);
        state.counters["undo_ms"] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReplaceAllByChanges)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllWhole(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TTextBuffer buffer;
        TEditHistory history;
        buffer.Assign(Corpus().left(kReplaceUnits));
        state.ResumeTiming();
        const QStringView old = buffer.View();
        QString result;
        result.reserve(old.size() + old.size() / kMatchEvery + 1);
        for (qsizetype pos = 0; pos < old.size(); pos += kMatchEvery) {
            result += u"AB";
            result += old.mid(pos + 1, std::min(kMatchEvery, old.size() - pos) - 1);
        }
        history.ChangeAll(buffer, std::move(result), 0, 0);
        benchmark::DoNotOptimize(buffer.Length());
        state.PauseTiming();
        const auto start = std::chrono::steady_clock::now();
        history.Undo(buffer);
        state.counters["undo_ms"] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReplaceAllWhole)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
