// One keystroke through the whole window (key dispatch, key-down handler, the
// view's insertion, the change handler and the caret status) on a 1 MB and a
// 100 MB document.  The cost must not grow with the document.

#include "SilentPrompts.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include <map>
#include <memory>

namespace {

using quillo::bench::SilentPrompts;

QString MakeText(int megabytes) {
    const QString line =
        QStringLiteral("    indented log line with some words 0123456789 and more\r\n");
    QString text;
    const qsizetype lines = qsizetype{megabytes} * 1'000'000 / line.size();
    text.reserve(line.size() * lines);
    for (qsizetype i = 0; i < lines; ++i) {
        text += line;
    }
    return text;
}

quillo::editing::TLfMemo* MemoOf(quillo::app::TWin2kAppForm& form) {
    return form.findChild<quillo::editing::TLfMemo*>(QStringLiteral("Memo1"));
}

quillo::app::TWin2kAppForm& Window(int megabytes) {
    static SilentPrompts prompts;
    static std::map<int, std::unique_ptr<quillo::app::TWin2kAppForm>> forms;
    auto& f = forms[megabytes];
    if (!f) {
        f = std::make_unique<quillo::app::TWin2kAppForm>(QStringList{QStringLiteral("-q")},
                                                         prompts);
        f->show();
        QApplication::processEvents();
        quillo::editing::TLfMemo* memo = MemoOf(*f);
        memo->LoadText(MakeText(megabytes));
        // The caret in the middle of the document, on an indented line.
        memo->SetSelStart(memo->LineIndex(memo->GetLineCount() / 2) + 10);
        memo->setFocus();
        QApplication::processEvents();
    }
    return *f;
}

// A character typed and taken back: two keystrokes an iteration, so that the
// line keeps its length.
void BM_TypeCharacter(benchmark::State& state) {
    auto* memo = MemoOf(Window(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        QTest::keyClick(memo, Qt::Key_X);
        QTest::keyClick(memo, Qt::Key_Backspace);
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["lines"] = static_cast<double>(memo->GetLineCount());
}

// Enter on a line with a 4-space indentation; the queued indentation is
// delivered, painting is left to the event loop as in real use.
void BM_EnterWithIndent(benchmark::State& state) {
    auto* memo = MemoOf(Window(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        QTest::keyClick(memo, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
    state.SetItemsProcessed(state.iterations());
}

// The same with every pending paint of the window done each time.
void BM_EnterWithIndentAndPaint(benchmark::State& state) {
    auto* memo = MemoOf(Window(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        QTest::keyClick(memo, Qt::Key_Return);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_TypeCharacter)->Arg(1)->Arg(100)->Arg(335)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnterWithIndent)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnterWithIndentAndPaint)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace
