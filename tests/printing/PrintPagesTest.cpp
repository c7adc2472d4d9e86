#include "printing/PrintPages.h"

#include "printing/HxPrinter.h"
#include "printing/PdfTools.h"
#include "printing/PrintCanvas.h"
#include "printing/ScriptedPrinterBackend.h"
#include "printing/TestDocument.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QRandomGenerator>

#include <cmath>

namespace quillo::printing {
namespace {

namespace pf = quillo::platform;
using quillo::testing::NumberedLines;
using quillo::testing::PdfPageCount;
using quillo::testing::PdfPageText;
using quillo::testing::ScriptedPrinterBackend;
using quillo::testing::TestDocument;

constexpr int kDpi = 300;
constexpr int kA4Width = 2480; // pixels at 300 dpi
constexpr int kA4Height = 3508;
constexpr int kBorder = 50;

int Nearest(double x) {
    return static_cast<int>(std::nearbyint(x));
}

class PrintPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto backend = std::make_unique<ScriptedPrinterBackend>();
        B = backend.get();
        B->PrinterList = {{"P", 0}};
        B->Default = "P";
        B->Mode.dmFields = pf::DM_COPIES | pf::DM_ORIENTATION;
        B->SetSheet(kDpi, kA4Width, kA4Height, kBorder);
        Printer = std::make_unique<THxPrinter>(std::move(backend));
    }

    int Count(const TestDocument& doc, const TPageMargins& m = {}) {
        return PrintPages(*Printer, doc, m, 0, 0);
    }

    // The height of a printed line as the routine measures it.
    int LineHeight() {
        QFont font = Doc.Font();
        font.setPixelSize(Nearest(10.0 * kDpi / 72.0));
        TPrintCanvas canvas(font, Printer->MeasureDevice());
        return canvas.TextHeight("あ");
    }

    // Text lines on a full page with the default margins.
    int LinesPerPage() {
        TestDocument doc;
        int lo = 1, hi = 400; // count(lo) == 1, count(hi) > 1
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            doc.Lines = NumberedLines(mid);
            (Count(doc) == 1 ? lo : hi) = mid;
        }
        return lo;
    }

    QString LastJob() { return B->Jobs.empty() ? QString() : B->Jobs.back().PdfPath; }

    ScriptedPrinterBackend* B = nullptr;
    std::unique_ptr<THxPrinter> Printer;
    TestDocument Doc;
};

TEST_F(PrintPagesTest, EmptyDocumentPrintsOnePageWithTheHeaderOnly) {
    EXPECT_EQ(1, Count(Doc));
    Doc.Lines = {""};
    EXPECT_EQ(1, Count(Doc));

    EXPECT_EQ(1, PrintPages(*Printer, Doc, {}, 1, 1));
    ASSERT_EQ(1u, B->Jobs.size());
    EXPECT_EQ("memo.txt", B->Jobs[0].Title);
    EXPECT_EQ("P", B->Jobs[0].Printer);
    EXPECT_EQ(1, PdfPageCount(LastJob()));
    const QStringList words = PdfPageText(LastJob(), 1).simplified().split(' ');
    EXPECT_EQ(QStringList({"memo.txt", "1", "ページ"}), words);
}

TEST_F(PrintPagesTest, PageRangePrintsOnlyTheChosenPagesWithTheirNumbers) {
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 10);
    Doc.Lines = NumberedLines(3 * perPage + 1);
    EXPECT_EQ(4, Count(Doc));

    EXPECT_EQ(4, PrintPages(*Printer, Doc, {}, 2, 3));
    ASSERT_EQ(1u, B->Jobs.size());
    ASSERT_EQ(2, PdfPageCount(LastJob()));
    const QString first = PdfPageText(LastJob(), 1);
    const QString second = PdfPageText(LastJob(), 2);
    EXPECT_TRUE(first.contains("2 ページ"));
    EXPECT_TRUE(first.contains(QString("line %1\n").arg(perPage + 1)));
    EXPECT_TRUE(first.contains(QString("line %1\n").arg(2 * perPage)));
    EXPECT_FALSE(first.contains(QString("line %1\n").arg(perPage)));
    EXPECT_TRUE(second.contains("3 ページ"));
    EXPECT_TRUE(second.contains(QString("line %1\n").arg(3 * perPage)));
    EXPECT_FALSE(second.contains(QString("line %1\n").arg(3 * perPage + 1)));
}

TEST_F(PrintPagesTest, AllPagesGiveOneSheetPerCountedPage) {
    Doc.Lines = NumberedLines(200);
    const int pages = Count(Doc);
    ASSERT_GT(pages, 2);
    EXPECT_EQ(pages, PrintPages(*Printer, Doc, {}, 1, pages));
    EXPECT_EQ(pages, PdfPageCount(LastJob()));
    EXPECT_TRUE(PdfPageText(LastJob(), pages).contains("line 200"));
}

TEST_F(PrintPagesTest, LongLineIsBrokenAfterTheLastCharacterThatFits) {
    // Digits have one width, so a line of twice the width breaks into two
    // full printed lines and one short one.
    QString digits;
    for (int i = 0; i < 400; ++i) {
        digits += QChar('0' + i % 10);
    }
    Doc.Lines = {digits, "end"};
    PrintPages(*Printer, Doc, {}, 1, 1);
    QStringList printed = quillo::testing::PdfPageLines(LastJob(), 1);
    ASSERT_GE(printed.size(), 4);
    EXPECT_TRUE(printed[0].startsWith("memo.txt"));
    EXPECT_TRUE(printed[0].endsWith("1 ページ"));
    EXPECT_EQ("end", printed.last());
    printed = printed.mid(1, printed.size() - 2); // drop the header and "end"
    EXPECT_EQ(digits, printed.join(""));
    ASSERT_GE(printed.size(), 2);
    EXPECT_EQ(printed[0].size(), printed[1].size());

    QFont font = Doc.Font();
    font.setPixelSize(Nearest(10.0 * kDpi / 72.0));
    TPrintCanvas canvas(font, Printer->MeasureDevice());
    const int left = Nearest(2500 / 100.0 / 25.4 * kDpi - kBorder);
    const int width = Nearest((kA4Width - left) - (2500 / 100.0 / 25.4 * kDpi - kBorder));
    EXPECT_LE(canvas.TextWidth(printed[0]), width);
    EXPECT_GT(canvas.TextWidth(digits.left(printed[0].size() + 1)), width);
}

TEST_F(PrintPagesTest, VeryLongLineCountsEveryPrintedLine) {
    // A million characters are wider than the metrics can add up in one go;
    // the count must still follow the width of each printed line.
    QFont font = Doc.Font();
    font.setPixelSize(Nearest(10.0 * kDpi / 72.0));
    TPrintCanvas canvas(font, Printer->MeasureDevice());
    const int left = Nearest(2500 / 100.0 / 25.4 * kDpi - kBorder);
    const int width = Nearest((kA4Width - left) - (2500 / 100.0 / 25.4 * kDpi - kBorder));
    const qsizetype perLine = canvas.FitPrefix(QString(1000, QChar(0x3042)), width);
    const int perPage = LinesPerPage();
    const qsizetype n = 1000000;
    const qsizetype lines = (n + perLine - 1) / perLine;
    Doc.Lines = {QString(n, QChar(0x3042))};
    EXPECT_EQ((lines + perPage - 1) / perPage, Count(Doc));
}

TEST_F(PrintPagesTest, FitFindsTheSameBreakAsDroppingOneCharacterAtATime) {
    QFont font = Doc.Font();
    font.setPixelSize(42);
    TPrintCanvas canvas(font, Printer->MeasureDevice());
    const QString alphabet = "abcWMi あいう漢字\t.-_";
    auto* rng = QRandomGenerator::global();
    for (int round = 0; round < 60; ++round) {
        QString text;
        const int n = static_cast<int>(rng->bounded(1, 300));
        for (int i = 0; i < n; ++i) {
            text += alphabet.at(static_cast<int>(rng->bounded(alphabet.size())));
        }
        const int width = static_cast<int>(rng->bounded(0, 3000));
        qsizetype k = text.size();
        while (k > 0 && canvas.TextWidth(text.left(k)) > width) {
            --k;
        }
        ASSERT_EQ(k, canvas.FitPrefix(text, width)) << text.toStdString() << " in " << width;
    }
}

TEST_F(PrintPagesTest, PageOneThousandIsNumberedWithAThousandsSeparator) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ("1,000 ページ", PageNumberText(1000));
    EXPECT_EQ("1 ページ", PageNumberText(1));

    // A sheet just tall enough for the header and one line.
    const int h = LineHeight();
    B->SetSheet(kDpi, kA4Width, Nearest(1.5 * h) + h, 0);
    const TPageMargins none{0, 0, 0, 0};
    Doc.Lines = NumberedLines(1000);
    EXPECT_EQ(1000, PrintPages(*Printer, Doc, none, 0, 0));
    EXPECT_EQ(1000, PrintPages(*Printer, Doc, none, 1000, 1000));
    EXPECT_EQ(1, PdfPageCount(LastJob()));
    const QString text = PdfPageText(LastJob(), 1);
    EXPECT_TRUE(text.contains("1,000 ページ")) << text.toStdString();
    EXPECT_TRUE(text.contains("line 1000")) << text.toStdString();
    QLocale::setDefault(saved);
}

TEST_F(PrintPagesTest, MarginsWithoutRoomAreRefusedBeforeAnythingIsPrinted) {
    Doc.Lines = {"text"};
    const TPageMargins wide{15000, 2500, 15000, 2500};
    EXPECT_THROW(Count(Doc, wide), EPrintLayoutError);
    EXPECT_THROW(PrintPages(*Printer, Doc, wide, 1, 1), EPrintLayoutError);
    const TPageMargins tall{2500, 20000, 2500, 20000};
    EXPECT_THROW(PrintPages(*Printer, Doc, tall, 1, 1), EPrintLayoutError);
    EXPECT_TRUE(B->Jobs.empty());
    EXPECT_FALSE(Printer->Printing());
}

TEST_F(PrintPagesTest, CharactersWiderThanTheLineStillPrintOneALine) {
    // About 10 pixels of printable width: no character fits.  With no left
    // margin, text starts left of the printable area, at the sheet's edge.
    const int right = Nearest((kA4Width + 2 * kBorder - 10) * 2540.0 / kDpi);
    const TPageMargins narrow{0, 2500, right, 2500};
    Doc.Lines = {"あいう", "", "xy"};
    EXPECT_EQ(1, Count(Doc, narrow));
    PrintPages(*Printer, Doc, narrow, 1, 1);
    const QStringList printed = quillo::testing::PdfPageLines(LastJob(), 1);
    EXPECT_TRUE(printed.mid(printed.size() - 5) == QStringList({"あ", "い", "う", "x", "y"}))
        << PdfPageText(LastJob(), 1).toStdString();
}

TEST_F(PrintPagesTest, FailureWhileTheJobIsOpenAbortsIt) {
    Doc.Lines = NumberedLines(100);
    Doc.FailAtLine = 50;
    Doc.Armed = true;
    EXPECT_THROW(PrintPages(*Printer, Doc, {}, 1, 5), std::runtime_error);
    EXPECT_FALSE(Printer->Printing());
    EXPECT_TRUE(B->Jobs.empty());

    B->FailSubmit = true;
    Doc.Armed = false;
    EXPECT_THROW(PrintPages(*Printer, Doc, {}, 1, 5), pf::PrinterBackendError);
    EXPECT_FALSE(Printer->Printing());

    B->FailSubmit = false;
    PrintPages(*Printer, Doc, {}, 1, 5);
    EXPECT_EQ(1u, B->Jobs.size());
}

TEST_F(PrintPagesTest, PendingSettingsAreDiscardedAndTheJobCarriesThePrintersOwn) {
    B->Mode.dmCopies = 2;
    Printer->SetCopies(7); // not applied: a print run starts from the printer's settings
    PrintPages(*Printer, Doc, {}, 1, 1);
    ASSERT_EQ(1u, B->Jobs.size());
    EXPECT_EQ(2, B->Jobs[0].Settings.dmCopies);
}

TEST_F(PrintPagesTest, TabsArePrintedToStopsEveryEightColumns) {
    // Each tab line is followed by the same text with the tab written as the
    // blanks up to the next stop: both must put X at the same place.
    Doc.Lines = {"\tX",          "        X",         "abc\tX", "abc     X",
                 "abcdefghi\tX", "abcdefghi       X", "a\t\tX", "a               X"};
    PrintPages(*Printer, Doc, {}, 1, 1);
    const QImage page =
        quillo::testing::PdfRenderPage(LastJob(), 1, kDpi, B->JobDir.filePath("tabs"));
    ASSERT_FALSE(page.isNull());
    const int h = LineHeight();
    const int top = kBorder + Nearest(2500 / 100.0 / 25.4 * kDpi - kBorder);
    // The rightmost ink of printed line k: the right edge of its X.
    auto rightEdge = [&](int k) {
        const int y0 = top + Nearest(1.5 * h) + k * Nearest(1.2 * h);
        int right = -1;
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = 0; x < page.width(); ++x) {
                if (qGray(page.pixel(x, y)) < 128) {
                    right = std::max(right, x);
                }
            }
        }
        return right;
    };
    for (int k = 0; k < Doc.Lines.size(); k += 2) {
        const int tab = rightEdge(k);
        const int blanks = rightEdge(k + 1);
        ASSERT_GT(blanks, 0) << k;
        EXPECT_NEAR(tab, blanks, 2) << Doc.Lines[k].toStdString();
    }
    // Counting measures the tab the same way: a line of tabs as wide as the
    // printable width breaks where a line of blanks that wide does.
    const int count = Count(Doc);
    Doc.Lines = {QString(200, u'\t')};
    TestDocument blanks;
    blanks.Lines = {QString(1600, u' ') + "x"};
    EXPECT_EQ(Count(Doc), count);
    EXPECT_EQ(Count(Doc), Count(blanks));
}

TEST_F(PrintPagesTest, RenderedHeaderHasItsRuleAcrossThePrintableWidth) {
    Doc.Lines = {"あいうえお ABC"};
    PrintPages(*Printer, Doc, {}, 1, 1);
    const QImage page =
        quillo::testing::PdfRenderPage(LastJob(), 1, kDpi, B->JobDir.filePath("page"));
    ASSERT_FALSE(page.isNull());
    ASSERT_EQ(kA4Width, page.width());

    const int h = LineHeight();
    const int left = kBorder + Nearest(2500 / 100.0 / 25.4 * kDpi - kBorder);
    const int top = kBorder + Nearest(2500 / 100.0 / 25.4 * kDpi - kBorder);
    const int width =
        Nearest((kA4Width - (left - kBorder)) - (2500 / 100.0 / 25.4 * kDpi - kBorder));
    const int rule = top + Nearest(1.1 * h);
    auto dark = [&](int x, int y) {
        return qGray(page.pixel(x, y)) < 128;
    };
    // The one-pixel rule lands between two pixel rows, so it renders grey.
    auto ink = [&](int x, int y) {
        return qGray(page.pixel(x, y)) < 240;
    };
    auto darkNear = [&](int x, int y) {
        return ink(x, y - 1) || ink(x, y) || ink(x, y + 1);
    };
    int covered = 0;
    for (int x = left + 2; x < left + width - 2; ++x) {
        covered += darkNear(x, rule) ? 1 : 0;
    }
    EXPECT_EQ(width - 4, covered) << "rule at y " << rule;
    for (int x = left + width + 3; x < kA4Width; ++x) {
        ASSERT_FALSE(darkNear(x, rule)) << "ink right of the printable width at x " << x;
    }
    // The text line starts 1.5 line heights below the top, at the left margin.
    int text = 0;
    for (int y = top + Nearest(1.5 * h); y < top + Nearest(1.5 * h) + h; ++y) {
        for (int x = left - 3; x < left + 20 * h; ++x) {
            text += dark(x, y) ? 1 : 0;
        }
        ASSERT_FALSE(dark(left - 4, y));
    }
    EXPECT_GT(text, 100);
}

} // namespace
} // namespace quillo::printing
