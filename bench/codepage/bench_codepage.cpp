// Reading and writing 100 MB documents, against the iconv command on the same
// files in the same run (the practical lower bound).  After the runs, prints the
// median of each and our time over iconv's.
//
//   bench_codepage [--benchmark_filter=...]      (QUILLO_BENCH_MB sets the size)
#include "BenchText.h"

#include "app/codepage/TextEncoder.h"
#include "app/codepage/codepage.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/resource.h>

namespace {

using namespace quillo::codepage;

struct Files {
    QString folder;
    QString cp932;
    QString utf8;
    QString utf16; // the same text as UTF-16LE, the input iconv encodes from
    qint64 bytes932 = 0;
};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

const Files& files() {
    static const Files f = [] {
        Files made;
        const char* mb = std::getenv("QUILLO_BENCH_MB");
        const std::size_t megabytes = mb != nullptr ? std::strtoul(mb, nullptr, 10) : 100;
        made.folder = QDir::tempPath() + "/quillo_bench_codepage";
        QDir().mkpath(made.folder);
        made.cp932 = made.folder + "/text932.txt";
        made.utf8 = made.folder + "/text65001.txt";
        made.utf16 = made.folder + "/text1200.txt";
        // About 1.7 CP932 bytes per unit for this mix.
        const QString text = quillo::bench::GenerateJapaneseText(megabytes * 1024 * 1024 * 10 / 17);
        const QByteArray sjis = EncodeText(text, 932);
        made.bytes932 = sjis.size();
        writeFile(made.cp932, sjis);
        writeFile(made.utf8, EncodeText(text, 65001));
        writeFile(made.utf16, EncodeText(text, 1200));
        return made;
    }();
    return f;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::exit(1);
    }
    return f.readAll();
}

void setBytes(benchmark::State& state, const QString& path) {
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
}

// Read, detect, decode: what opening a file costs before the view.
void BM_Open(benchmark::State& state, const QString& path, int expected) {
    for (auto _ : state) {
        const QByteArray bytes = readAll(path);
        const LoadedText loaded = LoadTextFile(bytes, -1);
        if (loaded.codePage != expected) {
            state.SkipWithError("wrong code detected");
        }
        benchmark::DoNotOptimize(loaded.text.constData());
    }
    setBytes(state, path);
}

void BM_Save(benchmark::State& state, const QString& from, int code) {
    const LoadedText loaded = LoadTextFile(readAll(from), code);
    const QString out = files().folder + "/saved.txt";
    for (auto _ : state) {
        writeFile(out, EncodeDocument(loaded.text, code).bytes);
    }
    setBytes(state, from);
}

void BM_Detect(benchmark::State& state, const QString& path) {
    const QByteArray bytes = readAll(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DetectCodePage(bytes));
    }
}

void BM_Iconv(benchmark::State& state, const QString& in, const char* from, const char* to) {
    const std::string cmd = std::string("iconv -f ") + from + " -t " + to + " '" +
                            in.toStdString() + "' > '" + files().folder.toStdString() +
                            "/iconv.out'";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("iconv failed");
        }
    }
    setBytes(state, in);
}

void registerAll() {
    const Files& f = files();
    auto reg = [](const char* name, auto fn, auto... args) {
        benchmark::RegisterBenchmark(name, fn, args...)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    };
    reg("Open/CP932", BM_Open, f.cp932, 932);
    reg("Iconv/CP932->UTF-16", BM_Iconv, f.cp932, "CP932", "UTF-16LE");
    reg("Open/UTF-8", BM_Open, f.utf8, 65001);
    reg("Iconv/UTF-8->UTF-16", BM_Iconv, f.utf8, "UTF-8", "UTF-16LE");
    reg("Save/CP932", BM_Save, f.cp932, 932);
    reg("Iconv/UTF-16->CP932", BM_Iconv, f.utf16, "UTF-16LE", "CP932");
    reg("Save/UTF-8", BM_Save, f.utf8, 65001);
    reg("Iconv/UTF-16->UTF-8", BM_Iconv, f.utf16, "UTF-16LE", "UTF-8");
    benchmark::RegisterBenchmark("Detect/CP932", BM_Detect, f.cp932)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Detect/UTF-8", BM_Detect, f.utf8)->Unit(benchmark::kMicrosecond);
}

// Keeps the medians to print the ratios after the usual report.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::fprintf(stderr, "generating %s ...\n", qPrintable(files().folder));
    registerAll();
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::pair<const char*, const char*> pairs[] = {
        {"Open/CP932", "Iconv/CP932->UTF-16"},
        {"Open/UTF-8", "Iconv/UTF-8->UTF-16"},
        {"Save/CP932", "Iconv/UTF-16->CP932"},
        {"Save/UTF-8", "Iconv/UTF-16->UTF-8"},
    };
    std::printf("\n%-12s %12s %12s %8s\n", "median", "ours (ms)", "iconv (ms)", "ratio");
    for (const auto& [ours, theirs] : pairs) {
        const auto a = reporter.medians.find(ours);
        const auto b = reporter.medians.find(theirs);
        if (a != reporter.medians.end() && b != reporter.medians.end()) {
            std::printf("%-12s %12.1f %12.1f %8.2f\n", ours, a->second, b->second,
                        a->second / b->second);
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("CP932 file: %lld bytes; peak resident memory of the whole run: %ld MB\n",
                static_cast<long long>(files().bytes932), usage.ru_maxrss / 1024);
    QFile::remove(files().cp932);
    QFile::remove(files().utf8);
    QFile::remove(files().utf16);
    QFile::remove(files().folder + "/saved.txt");
    QFile::remove(files().folder + "/iconv.out");
    benchmark::Shutdown();
    return 0;
}
