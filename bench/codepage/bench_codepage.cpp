// Reading and writing the goal document (1 million lines, 335 MB of Japanese in
// UTF-8, and the same text in CP932), against the iconv command on the same
// files in the same run.  After the runs, prints the medians (wall and CPU
// time, iconv's CPU time from its rusage), our time over iconv's, the peak
// memory of one read on its own, and how much of a save is its commit (the
// fsync and rename of the safe save).  Encoding is compared with iconv writing
// to /dev/null, saving with iconv writing a file (without a sync).
//
//   bench_codepage [--benchmark_filter=...]   (QUILLO_BENCH_LINES scales the document)
#include "BenchText.h"
#include "PeakMemory.h"

#include "codepage/DocumentWriter.h"
#include "codepage/TextEncoder.h"
#include "codepage/TextFileReader.h"
#include "codepage/codepage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/resource.h>

namespace {

using namespace quillo::codepage;
using quillo::bench::JapaneseDocument;

struct Files {
    QString folder;
    JapaneseDocument doc;
    QString utf16; // the same text as UTF-16LE, the input iconv encodes from
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
        made.folder = QDir::tempPath() + "/quillo_bench_codepage";
        made.doc = quillo::bench::WriteGoalDocument(made.folder);
        made.utf16 = made.folder + "/document-1200.txt";
        writeFile(made.utf16, EncodeText(ReadTextFile(made.doc.utf8Path, 65001).text, 1200));
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

// What opening a file costs before the view: read, detect, decode in chunks
// on two threads.  load_peak_mb is the memory the read itself added at its
// peak; text_mb the decoded text's own size.
void BM_Read(benchmark::State& state, const QString& path, int expected) {
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        quillo::bench::ResetPeakResident();
        const std::int64_t before = quillo::bench::ResidentBytes();
        state.ResumeTiming();
        const LoadedText loaded = ReadTextFile(path, -1);
        state.PauseTiming();
        if (loaded.codePage != expected || loaded.text.size() != files().doc.units) {
            state.SkipWithError("wrong code or length");
        }
        peak = std::max(peak, double(quillo::bench::PeakResidentBytes() - before));
        state.ResumeTiming();
    }
    state.counters["load_peak_mb"] = peak / 1e6;
    state.counters["text_mb"] = double(files().doc.units) * 2 / 1e6;
    setBytes(state, path);
}

// The decoders alone, on one thread, from bytes in memory.
void BM_Decode(benchmark::State& state, const QString& path, int code) {
    const QByteArray bytes = readAll(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadTextFile(bytes, code).text.constData());
    }
    setBytes(state, path);
}

// The whole text encoded into one byte array on one thread: the encoders'
// own speed.
void BM_EncodeWhole(benchmark::State& state, const QString& from, int code) {
    const LoadedText loaded = ReadTextFile(from, code);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeDocument(loaded.text, code).bytes.constData());
    }
    setBytes(state, from);
}

// What a save does before the file: chunks encoded on two threads, handed
// over in order (here to nothing).
void BM_Encode(benchmark::State& state, const QString& from, int code) {
    const LoadedText loaded = ReadTextFile(from, code);
    for (auto _ : state) {
        DocumentWriter writer(loaded.text, code);
        qsizetype bytes = 0;
        writer.write([&bytes](QByteArrayView b) {
            bytes += b.size();
            return true;
        });
        benchmark::DoNotOptimize(bytes);
    }
    setBytes(state, from);
}

// A plain safe save: streamed into a QSaveFile, then its commit (fsync of the
// new file, rename over the old), with nothing written to disk ahead of the
// commit; write_ms and commit_ms split the wall time, so commit_ms is the
// most the sync can cost.  The window's save (bench_open) also starts the disk
// early.
void BM_Save(benchmark::State& state, const QString& from, int code) {
    const LoadedText loaded = ReadTextFile(from, code);
    const QString out = files().folder + "/saved.txt";
    double writeMs = 0;
    double commitMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QSaveFile file(out);
        DocumentWriter writer(loaded.text, code);
        const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                             writer.write([&file](QByteArrayView b) {
                                 return file.write(b.data(), b.size()) == b.size();
                             });
        writeMs += double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        if (!written || !file.commit()) {
            state.SkipWithError("cannot save");
        }
        commitMs += double(timer.nsecsElapsed()) / 1e6;
    }
    state.counters["write_ms"] = writeMs / double(state.iterations());
    state.counters["commit_ms"] = commitMs / double(state.iterations());
    setBytes(state, from);
}

void BM_Detect(benchmark::State& state, const QString& path) {
    const QByteArray bytes = readAll(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DetectCodePage(bytes));
    }
}

double childCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The iconv command on the same input; `to` is a file in the folder, or
// /dev/null to leave the writing out.
void BM_Iconv(benchmark::State& state, const QString& in, const char* from, const char* to,
              bool intoFile) {
    const std::string target =
        intoFile ? files().folder.toStdString() + "/iconv.out" : std::string("/dev/null");
    const std::string cmd = std::string("iconv -f ") + from + " -t " + to + " '" +
                            in.toStdString() + "' > '" + target + "'";
    double cpu = 0;
    for (auto _ : state) {
        const double start = childCpuSeconds();
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("iconv failed");
        }
        cpu += childCpuSeconds() - start;
    }
    state.counters["iconv_cpu_ms"] = cpu * 1e3 / double(state.iterations());
    setBytes(state, in);
}

void registerAll() {
    const Files& f = files();
    auto reg = [](const char* name, auto fn, auto... args) {
        benchmark::RegisterBenchmark(name, fn, args...)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime()
            ->Iterations(1)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    };
    reg("Read/UTF-8", BM_Read, f.doc.utf8Path, 65001);
    reg("Iconv/UTF-8->UTF-16", BM_Iconv, f.doc.utf8Path, "UTF-8", "UTF-16LE", true);
    reg("Read/CP932", BM_Read, f.doc.cp932Path, 932);
    reg("Iconv/CP932->UTF-16", BM_Iconv, f.doc.cp932Path, "CP932", "UTF-16LE", true);
    reg("Decode/UTF-8", BM_Decode, f.doc.utf8Path, 65001);
    reg("Decode/CP932", BM_Decode, f.doc.cp932Path, 932);
    reg("EncodeOne/CP932", BM_EncodeWhole, f.doc.cp932Path, 932);
    reg("Encode/CP932", BM_Encode, f.doc.cp932Path, 932);
    reg("IconvNull/UTF-16->CP932", BM_Iconv, f.utf16, "UTF-16LE", "CP932", false);
    reg("EncodeOne/UTF-8", BM_EncodeWhole, f.doc.utf8Path, 65001);
    reg("Encode/UTF-8", BM_Encode, f.doc.utf8Path, 65001);
    reg("IconvNull/UTF-16->UTF-8", BM_Iconv, f.utf16, "UTF-16LE", "UTF-8", false);
    reg("EncodeOne/UTF-16BE", BM_EncodeWhole, f.doc.utf8Path, 1201);
    reg("Encode/UTF-16BE", BM_Encode, f.doc.utf8Path, 1201);
    reg("IconvNull/UTF-16->UTF-16BE", BM_Iconv, f.utf16, "UTF-16LE", "UTF-16BE", false);
    reg("Save/CP932", BM_Save, f.doc.cp932Path, 932);
    reg("Iconv/UTF-16->CP932", BM_Iconv, f.utf16, "UTF-16LE", "CP932", true);
    reg("Save/UTF-8", BM_Save, f.doc.utf8Path, 65001);
    reg("Iconv/UTF-16->UTF-8", BM_Iconv, f.utf16, "UTF-16LE", "UTF-8", true);
    benchmark::RegisterBenchmark("Detect/CP932", BM_Detect, f.doc.cp932Path)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Detect/UTF-8", BM_Detect, f.doc.utf8Path)
        ->Unit(benchmark::kMicrosecond);
}

// Keeps the medians to print the ratios after the usual report.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    struct Median {
        double wall = 0;
        double cpu = 0;
        std::map<std::string, double> counters;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                Median& m = medians[run.run_name.function_name];
                m.wall = run.GetAdjustedRealTime();
                m.cpu = run.GetAdjustedCPUTime();
                for (const auto& [name, counter] : run.counters) {
                    m.counters[name] = counter.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Median> medians;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::fprintf(stderr, "generating %s ...\n", qPrintable(files().folder));
    registerAll();
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::pair<const char*, const char*> pairs[] = {
        {"Read/UTF-8", "Iconv/UTF-8->UTF-16"},
        {"Read/CP932", "Iconv/CP932->UTF-16"},
        {"Decode/UTF-8", "Iconv/UTF-8->UTF-16"},
        {"Decode/CP932", "Iconv/CP932->UTF-16"},
        {"EncodeOne/CP932", "IconvNull/UTF-16->CP932"},
        {"Encode/CP932", "IconvNull/UTF-16->CP932"},
        {"EncodeOne/UTF-8", "IconvNull/UTF-16->UTF-8"},
        {"Encode/UTF-8", "IconvNull/UTF-16->UTF-8"},
        {"EncodeOne/UTF-16BE", "IconvNull/UTF-16->UTF-16BE"},
        {"Encode/UTF-16BE", "IconvNull/UTF-16->UTF-16BE"},
        {"Save/CP932", "Iconv/UTF-16->CP932"},
        {"Save/UTF-8", "Iconv/UTF-16->UTF-8"},
    };
    // Saves against iconv writing a file without a sync; commit is the
    // save's fsync and rename.
    std::printf("\n%-18s %10s %10s %11s %11s %7s %13s %10s\n", "median", "wall (ms)", "cpu (ms)",
                "iconv wall", "iconv cpu", "ratio", "load peak MB", "commit ms");
    for (const auto& [ours, theirs] : pairs) {
        const auto a = reporter.medians.find(ours);
        const auto b = reporter.medians.find(theirs);
        if (a != reporter.medians.end() && b != reporter.medians.end()) {
            auto counter = [&a](const char* name) {
                const auto c = a->second.counters.find(name);
                return c != a->second.counters.end() ? std::to_string(static_cast<long>(c->second))
                                                     : std::string();
            };
            std::printf("%-18s %10.1f %10.1f %11.1f %11.1f %7.2f %13s %10s\n", ours, a->second.wall,
                        a->second.cpu, b->second.wall, b->second.counters["iconv_cpu_ms"],
                        a->second.wall / b->second.wall, counter("load_peak_mb").c_str(),
                        counter("commit_ms").c_str());
        }
    }
    const JapaneseDocument& doc = files().doc;
    std::printf("document: %lld lines, %lld UTF-16 units (%.0f MB as text); UTF-8 %lld bytes, "
                "CP932 %lld bytes\n",
                static_cast<long long>(doc.lines), static_cast<long long>(doc.units),
                double(doc.units) * 2 / 1e6, static_cast<long long>(doc.utf8Bytes),
                static_cast<long long>(doc.cp932Bytes));
    std::printf("memory goal for it: %.0f MB (2.5 bytes a character + 16 a line)\n",
                (2.5 * double(doc.units) + 16.0 * double(doc.lines)) / 1e6);
    QDir(files().folder).removeRecursively();
    benchmark::Shutdown();
    return 0;
}
