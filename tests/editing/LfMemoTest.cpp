#include "editing/LfMemo.h"
#include "editing/DisplayWidth.h"
#include "support/MemoLook.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using quillo::editing::DisplayWidth;
using quillo::editing::RulerLabel;
using quillo::editing::TLfMemo;

namespace {

// A shown view with the main window's settings.
class MemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        quillo::testing::ApplyMainWindowLook(memo);
        memo.show();
        QApplication::processEvents();
    }
    TLfMemo memo;
};

} // namespace

TEST(DisplayWidthTest, CountsCp932BytesAndTabStops) {
    EXPECT_EQ(DisplayWidth(u"abc\tX"), 9);
    EXPECT_EQ(DisplayWidth(u"\t"), 8);
    EXPECT_EQ(DisplayWidth(u"あ"), 2);
    EXPECT_EQ(DisplayWidth(u""), 0);
    EXPECT_EQ(DisplayWidth(u"ｱｲ"), 2);     // half-width katakana: one byte each
    EXPECT_EQ(DisplayWidth(u"漢字\t"), 8); // the tab goes to the next stop
    EXPECT_EQ(DisplayWidth(u"1234567\t"), 8);
    EXPECT_EQ(DisplayWidth(u"12345678\t"), 16);
    EXPECT_EQ(DisplayWidth(u"\U0001F600"), 1); // no CP932 form: one substitute byte
    EXPECT_EQ(DisplayWidth(QString(QChar(0xDC41))), 1);
    EXPECT_EQ(TLfMemo::TextLength(u"ａｂ"), 4);
}

TEST(DisplayWidthTest, RulerLabels) {
    QString row;
    for (int m = 1; m <= 12; ++m) {
        row += RulerLabel(m);
    }
    EXPECT_EQ(row, QStringLiteral("....:....1.."));
    EXPECT_EQ(RulerLabel(100), u'0');
    EXPECT_EQ(RulerLabel(105), u':');
    EXPECT_EQ(RulerLabel(110), u'1');
    EXPECT_EQ(RulerLabel(90), u'9');
}

TEST_F(MemoTest, EmptyTextModel) {
    EXPECT_EQ(memo.Text(), QString());
    EXPECT_EQ(memo.LinesCount(), 0);
    EXPECT_EQ(memo.GetLineCount(), 1);
    EXPECT_EQ(memo.LineIndex(0), 0);
    EXPECT_EQ(memo.LineIndex(1), -1);
    EXPECT_EQ(memo.LineFromChar(0), 0);
    EXPECT_EQ(memo.Line(0), QString());
    EXPECT_EQ(memo.Line(5), QString());
    EXPECT_EQ(memo.SelStart(), 0);
    EXPECT_EQ(memo.TextLengthUnits(), 0);
}

TEST_F(MemoTest, CrLfPositions) {
    memo.SetText(QStringLiteral("ab\r\ncd\r\n\r\nefg"));
    EXPECT_EQ(memo.Text(), QStringLiteral("ab\r\ncd\r\n\r\nefg"));
    EXPECT_EQ(memo.TextLengthUnits(), 13);
    EXPECT_EQ(memo.LinesCount(), 4);
    EXPECT_EQ(memo.GetLineCount(), 4);
    EXPECT_EQ(memo.LineIndex(0), 0);
    EXPECT_EQ(memo.LineIndex(1), 4);
    EXPECT_EQ(memo.LineIndex(2), 8);
    EXPECT_EQ(memo.LineIndex(3), 10);
    EXPECT_EQ(memo.LineFromChar(2), 0); // at the end of line 0
    EXPECT_EQ(memo.LineFromChar(3), 0); // between CR and LF
    EXPECT_EQ(memo.LineFromChar(4), 1);
    EXPECT_EQ(memo.LineFromChar(8), 2);
    EXPECT_EQ(memo.LineFromChar(9), 2);
    EXPECT_EQ(memo.LineFromChar(10), 3);
    EXPECT_EQ(memo.LineFromChar(13), 3);
    EXPECT_EQ(memo.LineLength(3), 3);

    for (qsizetype p : {0, 1, 2, 4, 6, 8, 10, 13}) {
        memo.SetSelStart(p);
        EXPECT_EQ(memo.SelStart(), p) << p;
        EXPECT_EQ(memo.SelLength(), 0);
    }
    memo.SetSelStart(1);
    memo.SetSelLength(11); // "b\r\ncd\r\n\r\nef"
    EXPECT_EQ(memo.SelText(), QStringLiteral("b\r\ncd\r\n\r\nef"));
    EXPECT_EQ(memo.SelLength(), 11);
    EXPECT_EQ(memo.CaretPos().Y, 3);
    EXPECT_EQ(memo.CaretPos().X, 2);
}

TEST_F(MemoTest, TextEndingInLineBreak) {
    memo.SetText(QStringLiteral("a\r\nb\r\n"));
    EXPECT_EQ(memo.LinesCount(), 2);
    EXPECT_EQ(memo.GetLineCount(), 3);
    EXPECT_EQ(memo.LineIndex(2), 6);
    EXPECT_EQ(memo.LineFromChar(6), 2);
    EXPECT_EQ(memo.Text(), QStringLiteral("a\r\nb\r\n"));
}

TEST_F(MemoTest, SurrogatePairsAndLongLines) {
    const QString pair = QString::fromUtf16(u"\U0001F600");
    memo.SetText(pair + QStringLiteral("x\r\n") + pair);
    EXPECT_EQ(memo.LineIndex(1), 5);
    EXPECT_EQ(memo.LineFromChar(4), 0);
    EXPECT_EQ(memo.LineFromChar(5), 1);
    memo.SetSelStart(7);
    EXPECT_EQ(memo.SelStart(), 7);
    EXPECT_EQ(memo.CaretPos().X, 2);

    const QString longLine(10000, u'x');
    memo.SetText(longLine + QStringLiteral("\r\nend"));
    EXPECT_EQ(memo.Line(0).size(), 10000); // lines are read whole
    EXPECT_EQ(memo.LineIndex(1), 10002);
}

TEST_F(MemoTest, LineBreaksBecomeCrLf) {
    memo.SetText(QStringLiteral("a\nb\rc\r\nd"));
    EXPECT_EQ(memo.Text(), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(memo.LinesCount(), 4);
}

TEST_F(MemoTest, SameTextRaisesNoChange) {
    memo.SetText(QStringLiteral("one\r\ntwo"));
    QSignalSpy changes(&memo, &TLfMemo::textChanged);
    memo.SetText(QStringLiteral("one\ntwo"));
    EXPECT_EQ(changes.count(), 0);
    memo.SetText(QStringLiteral("one\r\ntwo!"));
    EXPECT_GE(changes.count(), 1);
    // A whole-text change is one undo step.
    memo.undo();
    EXPECT_EQ(memo.Text(), QStringLiteral("one\r\ntwo"));
}

TEST_F(MemoTest, LoadingTheSameTextRaisesNoChangeAndEmptiesTheHistory) {
    memo.LoadText(QStringLiteral("one\r\ntwo"));
    memo.SetSelStart(5);
    memo.SetSelText(QStringLiteral("x"));
    memo.SetSelStart(5);
    memo.SetSelLength(1);
    memo.SetSelText(QString()); // the text is as loaded, with a history
    memo.SetSelStart(6);
    ASSERT_TRUE(memo.CanUndo());
    ASSERT_TRUE(memo.Modified());
    QSignalSpy changes(&memo, &TLfMemo::textChanged);
    QSignalSpy undoable(&memo, &TLfMemo::undoAvailable);
    QSignalSpy modified(&memo, &TLfMemo::modificationChanged);
    memo.LoadText(QStringLiteral("one\ntwo"));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(memo.SelStart(), 6) << "nothing replaced, so the caret stays";
    EXPECT_FALSE(memo.CanUndo());
    EXPECT_FALSE(memo.Modified());
    ASSERT_EQ(undoable.count(), 1);
    EXPECT_FALSE(undoable.at(0).at(0).toBool());
    ASSERT_EQ(modified.count(), 1);
    EXPECT_FALSE(modified.at(0).at(0).toBool());
    // A text that differs before or after where the last edit was is a change.
    memo.LoadText(QStringLiteral("one\r\ntwp"));
    EXPECT_EQ(changes.count(), 1);
    memo.SetSelStart(4);
    memo.SetSelText(QStringLiteral("z"));
    memo.LoadText(QStringLiteral("onf\r\nztwp"));
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(memo.Text(), QStringLiteral("onf\r\nztwp"));
}

TEST_F(MemoTest, NulAndNoBreakSpaceSurvive) {
    const QString text = QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0xA0) +
                         QStringLiteral("\r\nc");
    memo.LoadText(text);
    EXPECT_EQ(memo.Text(), text);
    EXPECT_FALSE(memo.Modified());
}

TEST_F(MemoTest, LinesSetKeepsBreaks) {
    memo.SetText(QStringLiteral("a\r\nb\r\nc"));
    memo.SetLine(1, QStringLiteral("BBB"));
    EXPECT_EQ(memo.Text(), QStringLiteral("a\r\nBBB\r\nc"));
    memo.SetLine(7, QStringLiteral("ignored"));
    EXPECT_EQ(memo.Text(), QStringLiteral("a\r\nBBB\r\nc"));
    memo.SetSelStart(1);
    memo.SetSelLength(2);
    memo.SetSelText(QStringLiteral("x\ny"));
    EXPECT_EQ(memo.Text(), QStringLiteral("ax\r\nyBBB\r\nc"));
    EXPECT_EQ(memo.SelStart(), 5); // caret after the inserted text
}

TEST_F(MemoTest, CutPasteUndoEventsSeeTheSelection) {
    memo.setFocus();
    memo.SetText(QStringLiteral("hello world"));
    memo.SetSelStart(6);
    memo.SetSelLength(5);
    QString seen;
    int cuts = 0;
    QObject::connect(&memo, &TLfMemo::OnCut, [&] {
        ++cuts;
        seen = memo.SelText();
    });
    QTest::keyClick(&memo, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(cuts, 1);
    EXPECT_EQ(seen, QStringLiteral("world"));
    EXPECT_EQ(memo.Text(), QStringLiteral("hello "));

    int pastes = 0;
    qsizetype pasteAt = -1;
    QObject::connect(&memo, &TLfMemo::OnPaste, [&] {
        ++pastes;
        pasteAt = memo.SelStart();
    });
    memo.SetSelStart(0);
    QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(pasteAt, 0);
    EXPECT_EQ(memo.Text(), QStringLiteral("worldhello "));

    int undos = 0;
    QObject::connect(&memo, &TLfMemo::OnUndo, [&] { ++undos; });
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(undos, 1);
    EXPECT_EQ(memo.Text(), QStringLiteral("hello "));

    memo.SetSelStart(0);
    memo.SetSelLength(2);
    memo.Cut(); // the command path raises the same event
    EXPECT_EQ(cuts, 2);
    EXPECT_EQ(seen, QStringLiteral("he"));
}

TEST_F(MemoTest, ShiftEnterIsAPlainLineBreak) {
    memo.setFocus();
    QTest::keyClicks(&memo, QStringLiteral("ab"));
    QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&memo, QStringLiteral("c"));
    EXPECT_EQ(memo.Text(), QStringLiteral("ab\r\nc"));
}

TEST_F(MemoTest, RulerMarksTheCaretColumn) {
    memo.setFocus();
    memo.SetText(QStringLiteral("0123456789abcdef"));
    memo.SetSelStart(11); // column 12, 1-based
    memo.RepaintStrips();
    EXPECT_EQ(memo.RulerCaretColumn(), 11);
    EXPECT_EQ(memo.LastStartLow(), 0);

    const QImage ruler = memo.RulerBitmap().toImage();
    const qreal w = QFontMetricsF(memo.font()).horizontalAdvance(u'0');
    const int y = 1;
    const auto cellX = [w](int k) {
        return static_cast<int>(3 + k * w + w / 2);
    };
    // Cell 12 is filled with the ruler colour, its neighbours are not.
    EXPECT_EQ(QColor(ruler.pixel(cellX(11), y)), memo.LineColumnColor());
    EXPECT_EQ(QColor(ruler.pixel(cellX(10), y)), memo.GutterColor());
    EXPECT_EQ(QColor(ruler.pixel(cellX(12), y)), memo.GutterColor());

    // A tab before the caret moves the caret cell to the tab stop.
    memo.SetText(QStringLiteral("a\tb"));
    memo.SetSelStart(2);
    memo.RepaintStrips();
    EXPECT_EQ(memo.RulerCaretColumn(), 8);
    // An empty document marks column 1.
    memo.SetText(QString());
    memo.RepaintStrips();
    EXPECT_EQ(memo.RulerCaretColumn(), 0);
}

TEST_F(MemoTest, HorizontalScrollMovesTheRulerStart) {
    memo.setFocus();
    memo.SetText(QString(400, u'x') + QStringLiteral("\r\nshort"));
    memo.SetSelStart(300);
    memo.ScrollCaret();
    memo.RepaintStrips();
    const qreal w = QFontMetricsF(memo.font()).horizontalAdvance(u'0');
    const int expected = qRound(memo.horizontalScrollBar()->value() / w);
    EXPECT_GT(expected, 0);
    EXPECT_NEAR(memo.LastStartLow(), expected, 1);

    // At the very end of the text the ruler keeps the previous first column.
    const int before = memo.LastStartLow();
    memo.SetSelStart(memo.TextLengthUnits());
    memo.RepaintStrips();
    EXPECT_EQ(memo.LastStartLow(), before);
}

TEST_F(MemoTest, GutterShowsNoNumbersBelowTheLastLine) {
    memo.SetText(QStringLiteral("one\r\ntwo"));
    memo.RepaintStrips();
    const QImage gutter = memo.GutterBitmap().toImage();
    const int lineHeight = QFontMetrics(memo.font()).lineSpacing();
    const int textTop = memo.viewport()->geometry().top() - memo.contentsRect().top();
    bool inkAbove = false;
    for (int y = textTop; y < textTop + 2 * lineHeight; ++y) {
        for (int x = 0; x < memo.GutterRect().width() - 2; ++x) {
            inkAbove = inkAbove || QColor(gutter.pixel(x, y)) != memo.GutterColor();
        }
    }
    EXPECT_TRUE(inkAbove) << "numbers 1 and 2 are drawn";
    for (int y = textTop + 2 * lineHeight + 1; y < gutter.height(); ++y) {
        for (int x = 0; x < memo.GutterRect().width() - 2; ++x) {
            ASSERT_EQ(QColor(gutter.pixel(x, y)), memo.GutterColor()) << x << "," << y;
        }
    }
}

TEST_F(MemoTest, LayoutFollowsLineNoColumnOnlyAtTheNextLayout) {
    const int w0 = QFontMetrics(memo.font()).horizontalAdvance(u'0');
    EXPECT_EQ(memo.GutterRect().width(), 8 * w0);
    memo.SetLineNoColumn(4);
    EXPECT_EQ(memo.GutterRect().width(), 8 * w0);
    memo.resize(610, 300);
    QApplication::processEvents();
    EXPECT_EQ(memo.GutterRect().width(), 4 * w0);
    // After a size change the ruler is two pixels shorter than at the first paint.
    EXPECT_EQ(memo.RulerRect().height(), QFontMetrics(memo.font()).height() + 2);
}
