// Working in a very large document: a generated Japanese text of one million
// lines and about 335 MB in UTF-8 (about 115 M UTF-16 units), held by the
// main window's view.  A keystroke anywhere (key-down, the change, the caret
// status) and a jump to a line with the paint that follows must not grow with
// the document.

#include "SilentPrompts.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include <memory>
#include <random>
#include <sys/resource.h>

namespace {

using quillo::bench::SilentPrompts;

constexpr qsizetype kLines = 1'000'000;

// One million lines of mixed kanji, kana and ASCII, about 335 UTF-8 bytes a line.
QString JapaneseDocument() {
    static const char16_t* const kWords[] = {
        u"日本語",   u"の",         u"テキスト", u"を",   u"編集",       u"する",
        u"ため",     u"に",         u"ファイル", u"は",   u"文字コード", u"が",
        u"変換",     u"されます。", u"検索",     u"と",   u"置換",       u"、",
        u"行番号",   u"カーソル",   u"履歴",     u"印刷", u"見出し",     u"設定",
        u"ひらがな", u"カタカナ",   u"漢字",     u"全角", u"半角",       u"正規表現"};
    std::mt19937 rng(11);
    QString text;
    text.reserve(kLines * 118);
    QString line;
    for (qsizetype i = 0; i < kLines; ++i) {
        line = QString::number(i) + QStringLiteral(": log entry ");
        while (line.size() < 110) {
            line += QString::fromUtf16(kWords[rng() % std::size(kWords)]);
        }
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

struct TLargeWindow {
    SilentPrompts prompts;
    std::unique_ptr<quillo::app::TWin2kAppForm> form;
    quillo::editing::TLfMemo* memo = nullptr;
    double loadSeconds = 0;
};

TLargeWindow& Window() {
    static TLargeWindow w;
    if (!w.form) {
        w.form = std::make_unique<quillo::app::TWin2kAppForm>(QStringList{QStringLiteral("-q")},
                                                              w.prompts);
        w.form->resize(1000, 700);
        w.form->show();
        QApplication::processEvents();
        w.memo = w.form->findChild<quillo::editing::TLfMemo*>(QStringLiteral("Memo1"));
        w.memo->LoadText(JapaneseDocument());
        w.memo->setFocus();
        QApplication::processEvents();
    }
    return w;
}

// A character typed and taken back at a random line brought into view: two
// keystrokes an iteration.
void BM_KeystrokeAnywhere(benchmark::State& state) {
    auto& w = Window();
    auto* memo = w.memo;
    std::mt19937 rng(5);
    for (auto _ : state) {
        state.PauseTiming();
        memo->SetSelStart(memo->LineIndex(static_cast<qsizetype>(rng() % kLines)) + 7);
        memo->ScrollCaret();
        QApplication::processEvents();
        state.ResumeTiming();
        QTest::keyClick(memo, Qt::Key_X);
        QTest::keyClick(memo, Qt::Key_Backspace);
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["units"] = static_cast<double>(memo->TextLengthUnits());
}
BENCHMARK(BM_KeystrokeAnywhere)->Unit(benchmark::kMicrosecond)->Iterations(200);

// Typing at one place, as a user does: the first keystroke after a jump is
// not counted.
void BM_KeystrokeInPlace(benchmark::State& state) {
    auto& w = Window();
    auto* memo = w.memo;
    memo->SetSelStart(memo->LineIndex(kLines / 2) + 7);
    QTest::keyClick(memo, Qt::Key_X);
    QTest::keyClick(memo, Qt::Key_Backspace);
    for (auto _ : state) {
        QTest::keyClick(memo, Qt::Key_X);
        QTest::keyClick(memo, Qt::Key_Backspace);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_KeystrokeInPlace)->Unit(benchmark::kMicrosecond);

// Go to a random line, bring it into view and paint the view at once.
void BM_JumpAndPaint(benchmark::State& state) {
    auto& w = Window();
    auto* memo = w.memo;
    std::mt19937 rng(7);
    for (auto _ : state) {
        memo->SetSelStart(memo->LineIndex(static_cast<qsizetype>(rng() % kLines)));
        memo->ScrollCaret();
        memo->viewport()->repaint();
        memo->RepaintStrips();
    }
    state.SetItemsProcessed(state.iterations());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_JumpAndPaint)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
