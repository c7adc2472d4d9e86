// Replace All over a generated document with a million matches, and Find Next
// across a large document to a match near its end.

#include "editing/LfMemo.h"
#include "search/DocumentSearch.h"
#include "search/LfFindDialog.h"
#include "search/SearchPrompts.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

using namespace quillo;

class SilentPrompts : public search::TSearchPrompts {
public:
    QMessageBox::StandardButton MessageDlg(const QString&, search::TSearchMsgType,
                                           QMessageBox::StandardButtons) override {
        return QMessageBox::Ok;
    }
};

// `lines` lines of 50 units (CR LF included), each with one "fox".
QString Document(qsizetype lines) {
    const QString line = QStringLiteral("the quick brown fox jumps over the lazy dog 0123\r\n");
    QString text;
    text.reserve(line.size() * lines);
    for (qsizetype i = 0; i < lines; ++i) {
        text += line;
    }
    return text;
}

struct TFixture {
    QWidget window;
    editing::TLfMemo* memo = new editing::TLfMemo(&window);
    search::TLfFindDialog find{&window};
    search::TLfReplaceDialog replace{&window};
    SilentPrompts prompts;
    search::TDocumentSearch search{*memo, find, replace, prompts, &window};

    void Options(search::TLfFindDialog& d, const QString& x, search::TLfFindOptions o) {
        d.Execute(&window);
        d.SetFindText(x);
        d.SetOptions(o);
    }
};

void ReplaceAll(benchmark::State& state, bool engine) {
    TFixture f;
    const QString text = Document(1'000'000);
    f.Options(f.replace, engine ? QStringLiteral("f(o)x") : QStringLiteral("fox"),
              search::FindOptionBit(search::frmReplaceAll) |
                  search::FindOptionBit(search::frmMatchCase) |
                  (engine ? search::FindOptionBit(search::frmUseRegex) : 0));
    f.replace.SetReplaceText(engine ? QStringLiteral("c$1w") : QStringLiteral("cow"));
    for (auto _ : state) {
        state.PauseTiming();
        f.memo->LoadText(text);
        f.memo->SetSelStart(0);
        state.ResumeTiming();
        f.search.LfReplaceDialog1Replace(&f.replace);
    }
    if (!f.memo->Line(999'999).contains(QStringLiteral("cow"))) {
        state.SkipWithError("not replaced");
    }
}
BENCHMARK_CAPTURE(ReplaceAll, literal, false)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(ReplaceAll, engine, true)->Unit(benchmark::kMillisecond)->Iterations(2);

void FindNextToTheEnd(benchmark::State& state, bool engine) {
    TFixture f;
    QString text = Document(2'000'000); // 100 M units
    text.replace(QStringLiteral("fox"), QStringLiteral("cat"));
    text += QStringLiteral("needle");
    f.memo->LoadText(text);
    text.clear();
    f.Options(f.find, engine ? QStringLiteral("ne+dle") : QStringLiteral("needle"),
              search::FindOptionBit(search::frmMatchCase) |
                  (engine ? search::FindOptionBit(search::frmUseRegex) : 0));
    for (auto _ : state) {
        f.memo->SetSelStart(0);
        f.search.SearchFindNext1Execute();
    }
    if (f.memo->SelLength() != 6) {
        state.SkipWithError("not found");
    }
}
BENCHMARK_CAPTURE(FindNextToTheEnd, literal, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(FindNextToTheEnd, engine, true)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
