// Opening and saving a 100 MB file end to end (read, detect, decode, into the
// view; and the view's text encoded and written atomically), against the
// iconv command converting the same file: the practical lower bound.

#include "app/DocumentIO.h"
#include "app/codepage/codepage.h"
#include "editing/LfMemo.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdlib>
#include <sys/resource.h>

namespace {

QString Folder() {
    const QString f = QDir::tempPath() + QStringLiteral("/quillo-bench-open");
    QDir().mkpath(f);
    return f;
}

// The generated files are large: they go when the program ends.
struct TCleanup {
    ~TCleanup() {
        QDir(QDir::tempPath() + QStringLiteral("/quillo-bench-open")).removeRecursively();
    }
} gCleanup;

// The same generated 100 MB text in the given code, written once.
QString FileIn(int code) {
    const QString path = Folder() + QStringLiteral("/text-%1.txt").arg(code);
    if (!QFile::exists(path)) {
        const QString line = QStringLiteral(
            "2026-12-09 05:27:50 INFO 受付番号 12345 の処理が完了しました。担当：ｻﾄｳ\r\n");
        QString text;
        const qsizetype lines = 100'000'000 / (code == 65001 ? 110 : 80);
        text.reserve(line.size() * lines);
        for (qsizetype i = 0; i < lines; ++i) {
            text += line;
        }
        const auto encoded = quillo::codepage::EncodeDocument(text, code);
        // The benchmark opens files without a byte-order mark, as most are.
        const qsizetype skip = code == 65001 ? 3 : 0;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            std::abort();
        }
        f.write(encoded.bytes.constData() + skip, encoded.bytes.size() - skip);
    }
    return path;
}

long PeakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

void BM_OpenIntoView(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    const QString path = FileIn(code);
    for (auto _ : state) {
        quillo::editing::TLfMemo memo;
        memo.resize(800, 600);
        memo.show();
        const auto r = quillo::app::LoadTextFile(memo, path, -1);
        QApplication::processEvents();
        if (r.CodePage != code) {
            state.SkipWithError("detected the wrong code");
        }
    }
    state.counters["peak_rss_mb"] = static_cast<double>(PeakRssMb());
}

void BM_SaveFromView(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    quillo::editing::TLfMemo memo;
    quillo::app::LoadTextFile(memo, FileIn(code), code);
    const QString out = Folder() + QStringLiteral("/saved.txt");
    for (auto _ : state) {
        quillo::app::EncodeDocument(memo, out, code);
    }
    state.counters["peak_rss_mb"] = static_cast<double>(PeakRssMb());
}

void BM_IconvCommand(benchmark::State& state) {
    const int code = static_cast<int>(state.range(0));
    const QString path = FileIn(code);
    const QString cmd =
        QStringLiteral("iconv -f %1 -t UTF-16LE '%2' > /dev/null")
            .arg(code == 932 ? QStringLiteral("CP932") : QStringLiteral("UTF-8"), path);
    for (auto _ : state) {
        if (std::system(cmd.toLocal8Bit().constData()) != 0) {
            state.SkipWithError("iconv failed");
        }
    }
}

BENCHMARK(BM_OpenIntoView)->Arg(932)->Arg(65001)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFromView)->Arg(932)->Arg(65001)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvCommand)->Arg(932)->Arg(65001)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
