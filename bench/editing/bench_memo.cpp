// The edit view on large documents: loading a generated text and the CR LF
// position queries every command relies on.  The queries must stay flat
// (logarithmic at most) as the document grows.

#include "editing/LfMemo.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <map>
#include <memory>
#include <random>
#include <sys/resource.h>

using quillo::editing::TLfMemo;

namespace {

// About `megabytes` MB of UTF-8-sized text in lines of 20 to 110 units, a
// fifth of them Japanese, as logs and CSV exports look.
QString MakeText(int megabytes) {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> len(20, 110);
    const QString ascii =
        QStringLiteral("2026-12-09 05:27:50,INFO,server-01,request served in 12 ms;");
    const QString kana =
        QStringLiteral("日本語のログ行です。処理が完了しました。ファイル名：データ");
    const qsizetype target = qsizetype{megabytes} * 1000 * 1000;
    QString text;
    text.reserve(target + 200);
    qsizetype bytes = 0;
    for (int line = 0; bytes < target; ++line) {
        const int n = len(rng);
        if (line % 5 == 0) {
            for (int i = 0; i < n / 3; ++i) {
                text += kana[i % kana.size()];
            }
            bytes += (n / 3) * 3 + 2;
        } else {
            for (int i = 0; i < n; ++i) {
                text += ascii[i % ascii.size()];
            }
            bytes += n + 2;
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

long PeakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// One loaded view per size, kept for the query benchmarks.
TLfMemo& LoadedMemo(int megabytes) {
    static std::map<int, std::unique_ptr<TLfMemo>> memos;
    auto& m = memos[megabytes];
    if (!m) {
        m = std::make_unique<TLfMemo>();
        m->resize(800, 600);
        m->show();
        m->LoadText(MakeText(megabytes));
        QApplication::processEvents();
    }
    return *m;
}

void BM_Load(benchmark::State& state) {
    const int mb = static_cast<int>(state.range(0));
    const QString text = MakeText(mb);
    qsizetype lines = 0;
    for (auto _ : state) {
        // The loader hands its string over; the copy is made outside the timing.
        state.PauseTiming();
        QString own(text.constData(), text.size());
        state.ResumeTiming();
        TLfMemo memo;
        memo.resize(800, 600);
        memo.show();
        memo.LoadText(std::move(own));
        QApplication::processEvents(); // the first screen is shown
        lines = memo.GetLineCount();
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["peak_rss_mb"] = static_cast<double>(PeakRssMb());
}
BENCHMARK(BM_Load)->Arg(1)->Arg(100)->Arg(335)->Iterations(1)->Unit(benchmark::kMillisecond);

template <typename Query> void RunQuery(benchmark::State& state, Query query) {
    TLfMemo& memo = LoadedMemo(static_cast<int>(state.range(0)));
    std::mt19937 rng(7);
    const qsizetype length = memo.TextLengthUnits();
    const qsizetype lines = memo.GetLineCount();
    for (auto _ : state) {
        const qsizetype pos = std::uniform_int_distribution<qsizetype>(0, length)(rng);
        const qsizetype line = std::uniform_int_distribution<qsizetype>(0, lines - 1)(rng);
        benchmark::DoNotOptimize(query(memo, pos, line));
    }
    state.counters["lines"] = static_cast<double>(lines);
}

void BM_LineFromChar(benchmark::State& state) {
    RunQuery(state, [](TLfMemo& m, qsizetype pos, qsizetype) { return m.LineFromChar(pos); });
}
void BM_LineIndex(benchmark::State& state) {
    RunQuery(state, [](TLfMemo& m, qsizetype, qsizetype line) { return m.LineIndex(line); });
}
void BM_LineText(benchmark::State& state) {
    RunQuery(state, [](TLfMemo& m, qsizetype, qsizetype line) { return m.Line(line).size(); });
}
void BM_SelStart(benchmark::State& state) {
    // The caret sits two thirds into the document; moving it is the view's
    // work, not the query's, so it is placed once.
    TLfMemo& memo = LoadedMemo(static_cast<int>(state.range(0)));
    memo.SetSelStart(memo.TextLengthUnits() * 2 / 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(memo.SelStart());
    }
    state.counters["units"] = static_cast<double>(memo.TextLengthUnits());
}

BENCHMARK(BM_LineFromChar)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineIndex)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineText)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelStart)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

// A character typed and taken back in the middle of the document, straight
// to the view (no window around it): the edit, the change events and the
// strips, not the paint.
void SendKey(TLfMemo& memo, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&memo, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&memo, &release);
}

void BM_TypeInTheMiddle(benchmark::State& state) {
    TLfMemo& memo = LoadedMemo(static_cast<int>(state.range(0)));
    memo.SetSelStart(memo.LineIndex(memo.GetLineCount() / 2) + 5);
    memo.ScrollCaret();
    QApplication::processEvents();
    for (auto _ : state) {
        SendKey(memo, Qt::Key_X, QStringLiteral("x"));
        SendKey(memo, Qt::Key_Backspace, QStringLiteral("\b"));
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["lines"] = static_cast<double>(memo.GetLineCount());
}

// Go to a random line and paint the screen there.
void BM_JumpAndPaint(benchmark::State& state) {
    TLfMemo& memo = LoadedMemo(static_cast<int>(state.range(0)));
    std::mt19937 rng(11);
    const qsizetype lines = memo.GetLineCount();
    for (auto _ : state) {
        const qsizetype line = std::uniform_int_distribution<qsizetype>(0, lines - 1)(rng);
        memo.SetSelStart(memo.LineIndex(line));
        memo.ScrollCaret();
        memo.viewport()->repaint();
        memo.RepaintStrips();
    }
    state.counters["lines"] = static_cast<double>(lines);
}

// A 10 MB line: typing at its end, and the jumps between its ends, painted.
TLfMemo& LongLineMemo() {
    static std::unique_ptr<TLfMemo> memo;
    if (!memo) {
        memo = std::make_unique<TLfMemo>();
        memo->resize(800, 600);
        memo->show();
        QString line;
        line.reserve(10'000'000);
        const QString piece = QStringLiteral("0123456789,abcdefghij,日本語のテキスト,");
        while (line.size() < 10'000'000) {
            line += piece;
        }
        memo->LoadText(std::move(line));
        QApplication::processEvents();
    }
    return *memo;
}

void BM_LongLineTypeAtEnd(benchmark::State& state) {
    TLfMemo& memo = LongLineMemo();
    memo.SetSelStart(memo.TextLengthUnits());
    memo.ScrollCaret();
    QApplication::processEvents();
    for (auto _ : state) {
        SendKey(memo, Qt::Key_X, QStringLiteral("x"));
        memo.viewport()->repaint();
        SendKey(memo, Qt::Key_Backspace, QStringLiteral("\b"));
        memo.viewport()->repaint();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

void BM_LongLineHomeEnd(benchmark::State& state) {
    TLfMemo& memo = LongLineMemo();
    for (auto _ : state) {
        SendKey(memo, Qt::Key_End, QString());
        memo.viewport()->repaint();
        SendKey(memo, Qt::Key_Home, QString());
        memo.viewport()->repaint();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

BENCHMARK(BM_TypeInTheMiddle)->Arg(1)->Arg(100)->Arg(335)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JumpAndPaint)->Arg(1)->Arg(100)->Arg(335)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LongLineTypeAtEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LongLineHomeEnd)->Unit(benchmark::kMicrosecond);

} // namespace
