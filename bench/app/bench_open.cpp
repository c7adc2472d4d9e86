// Opening the goal document end to end (1 million lines, 335 MB of Japanese in
// UTF-8, and the same text in CP932): from the open call to the first screen
// the view paints, with the memory the open took at its peak; and saving it
// back; and opening it again unchanged.  The iconv command decoding the same files is the floor for
// the decoding part.  Medians of repetitions; CPU time is the whole process's.
//
//   bench_open [--benchmark_filter=...]   (QUILLO_BENCH_LINES scales the document)
//
// The view is driven only through its text model and show/paint, so this
// measures whichever storage TLfMemo has inside.

#include "BenchText.h"
#include "PeakMemory.h"

#include "codepage/TextEncoder.h"
#include "document/DocumentFile.h"
#include "editing/LfMemo.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>

namespace {

using quillo::bench::JapaneseDocument;

const JapaneseDocument& Document() {
    static const JapaneseDocument doc = [] {
        std::fprintf(stderr, "generating the document ...\n");
        return quillo::bench::WriteGoalDocument(QDir::tempPath() +
                                                QStringLiteral("/quillo-bench-open"));
    }();
    return doc;
}

// The generated files are large: they go when the program ends.
struct TCleanup {
    ~TCleanup() {
        QDir(QDir::tempPath() + QStringLiteral("/quillo-bench-open")).removeRecursively();
    }
} gCleanup;

QString PathOf(int code) {
    return code == 932 ? Document().cp932Path : Document().utf8Path;
}

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Notes each paint of the view or of a widget inside it (its viewport), so
// that it does not matter how the view is built.
class TPaintWatch : public QObject {
public:
    explicit TPaintWatch(QWidget* view) : view_(view) { qApp->installEventFilter(this); }
    ~TPaintWatch() override { qApp->removeEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w == view_ || view_->isAncestorOf(w)) {
                painted = true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* view_;
};

// Runs the event loop until the view has painted (the paint is over when
// processEvents returns); false after `seconds`.
bool WaitForPaint(TPaintWatch& watch, int seconds) {
    QElapsedTimer timer;
    timer.start();
    while (!watch.painted) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (timer.elapsed() > seconds * 1000) {
            return false;
        }
    }
    return true;
}

void BM_OpenIntoView(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    const QString path = PathOf(code);
    const JapaneseDocument& doc = Document();
    double loadPeak = 0;
    double peak = 0;
    double cpu = 0;
    double loadCall = 0;
    for (auto _ : state) {
        auto memo = std::make_unique<quillo::editing::TLfMemo>();
        auto watch = std::make_unique<TPaintWatch>(memo.get());
        memo->resize(1000, 700);
        memo->show();
        if (!WaitForPaint(*watch, 10)) {
            state.SkipWithError("the empty view never painted");
            return;
        }
        watch->painted = false;
        quillo::bench::ResetPeakResident();
        const std::int64_t before = quillo::bench::ResidentBytes();
        const double cpuStart = CpuSeconds(RUSAGE_SELF);
        QElapsedTimer timer;
        timer.start();
        const auto r = quillo::document::LoadTextFile(memo->Document(), path, -1);
        loadCall += double(timer.nsecsElapsed()) / 1e6;
        if (!WaitForPaint(*watch, 600)) {
            state.SkipWithError("the view never painted the document");
            return;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        cpu += CpuSeconds(RUSAGE_SELF) - cpuStart;
        loadPeak = std::max(loadPeak, double(quillo::bench::PeakResidentBytes() - before));
        peak = std::max(peak, double(quillo::bench::PeakResidentBytes()));
        if (r.CodePage != code || memo->TextLengthUnits() != doc.units ||
            memo->LinesCount() != doc.lines) {
            state.SkipWithError("the view holds another text");
        }
        watch.reset();
        memo.reset();
        QApplication::processEvents();
    }
    const auto n = double(state.iterations());
    state.counters["cpu_ms"] = cpu * 1e3 / n;
    state.counters["load_call_ms"] = loadCall / n;
    state.counters["open_peak_mb"] = loadPeak / 1e6;
    state.counters["process_peak_mb"] = peak / 1e6;
    state.counters["goal_mb"] = (2.5 * double(doc.units) + 16.0 * double(doc.lines)) / 1e6;
}

// Opening the same unchanged file again: the text read is compared with the
// one held (where it lies, once) and nothing is replaced or repainted.
void BM_ReopenUnchanged(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    const QString path = PathOf(code);
    quillo::editing::TLfMemo memo;
    quillo::document::LoadTextFile(memo.Document(), path, -1);
    int changes = 0;
    QObject::connect(&memo, &quillo::editing::TLfMemo::textChanged, [&] { ++changes; });
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        quillo::document::LoadTextFile(memo.Document(), path, -1);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    if (changes != 0 || memo.TextLengthUnits() != Document().units) {
        state.SkipWithError("the reopen changed the text");
    }
}

// Runs the iconv command once an iteration; cpu_ms is its CPU time.
void RunIconv(benchmark::State& state, const QString& cmd) {
    double cpu = 0;
    for (auto _ : state) {
        const double start = CpuSeconds(RUSAGE_CHILDREN);
        if (std::system(cmd.toLocal8Bit().constData()) != 0) {
            state.SkipWithError("iconv failed");
        }
        cpu += CpuSeconds(RUSAGE_CHILDREN) - start;
    }
    state.counters["cpu_ms"] = cpu * 1e3 / double(state.iterations());
}

// Saving the view's text back through the window's save call: encoding,
// writing and the durable commit (fsync and rename) of the safe save; CPU
// time is the whole process's, both threads.  The peer is the iconv command
// encoding the same text from UTF-16LE into a file, without a sync.
void BM_SaveFromView(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    quillo::editing::TLfMemo memo;
    quillo::document::LoadTextFile(memo.Document(), PathOf(code), code);
    const QString out = QDir::tempPath() + QStringLiteral("/quillo-bench-open/saved.txt");
    for (auto _ : state) {
        quillo::document::EncodeDocument(memo.Document(), out, code);
    }
    state.counters["file_mb"] = double(QFile(out).size()) / 1e6;
}

void BM_IconvSave(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    const QString folder = QDir::tempPath() + QStringLiteral("/quillo-bench-open");
    const QString utf16 = folder + QStringLiteral("/document-1200.txt");
    if (!QFile::exists(utf16)) {
        quillo::editing::TLfMemo memo;
        quillo::document::LoadTextFile(memo.Document(), PathOf(65001), 65001);
        QFile file(utf16);
        const QByteArray units = quillo::codepage::EncodeText(memo.TextView(), 1200);
        if (!file.open(QIODevice::WriteOnly) || file.write(units) != units.size()) {
            state.SkipWithError("cannot write the UTF-16 text");
            return;
        }
    }
    const QString cmd =
        QStringLiteral("iconv -f UTF-16LE -t %1 '%2' > '%3/iconv-saved.txt'")
            .arg(code == 932 ? QStringLiteral("CP932") : QStringLiteral("UTF-8"), utf16, folder);
    RunIconv(state, cmd);
}

void BM_IconvCommand(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    const QString cmd =
        QStringLiteral("iconv -f %1 -t UTF-16LE '%2' > /dev/null")
            .arg(code == 932 ? QStringLiteral("CP932") : QStringLiteral("UTF-8"), PathOf(code));
    RunIconv(state, cmd);
}

BENCHMARK(BM_OpenIntoView)
    ->Arg(65001)
    ->Arg(932)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReopenUnchanged)
    ->Arg(65001)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvCommand)
    ->Arg(65001)
    ->Arg(932)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFromView)
    ->Arg(65001)
    ->Arg(932)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvSave)
    ->Arg(65001)
    ->Arg(932)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
