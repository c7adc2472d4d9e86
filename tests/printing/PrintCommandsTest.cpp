#include "printing/PrintCommands.h"

#include "printing/HxPrinter.h"
#include "printing/HxPrinterErrors.h"
#include "printing/PdfTools.h"
#include "printing/PrintPages.h"
#include "printing/PrintPrompts.h"
#include "printing/ScriptedPrinterBackend.h"
#include "printing/TestDocument.h"

#include <gtest/gtest.h>

#include <functional>

namespace quillo::printing {
namespace {

namespace pf = quillo::platform;
using quillo::testing::NumberedLines;
using quillo::testing::ScriptedPrinterBackend;
using quillo::testing::TestDocument;

// Answers the dialogs from the test and records what was shown.
class ScriptedPrintPrompts : public TPrintPrompts {
public:
    std::function<bool(THxPrintDialog&)> PrintAnswer = [](THxPrintDialog&) {
        return false;
    };
    std::function<bool(TPageSetupDialog&)> PageSetupAnswer = [](TPageSetupDialog&) {
        return false;
    };
    bool SetupAnswer = false;
    std::vector<int> Overlays;
    QStringList Warnings;
    int PrintDialogs = 0;
    int SetupDialogs = 0;

    bool ExecutePrintDialog(THxPrintDialog& dialog) override {
        ++PrintDialogs;
        return PrintAnswer(dialog);
    }
    bool ExecutePrinterSetupDialog(THxPrinterSetupDialog&) override {
        ++SetupDialogs;
        return SetupAnswer;
    }
    bool ExecutePageSetupDialog(TPageSetupDialog& dialog) override {
        return PageSetupAnswer(dialog);
    }
    void ShowOverlay(int state) override { Overlays.push_back(state); }
    void ShowWarning(const QString& text) override { Warnings.append(text); }
};

class PrintCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto backend = std::make_unique<ScriptedPrinterBackend>();
        B = backend.get();
        B->PrinterList = {{"P", 0}};
        B->Default = "P";
        B->Mode.dmFields = pf::DM_COPIES;
        B->SetSheet(300, 2480, 3508, 50);
        Printer = std::make_unique<THxPrinter>(std::move(backend));
        Commands = std::make_unique<TPrintCommands>(Prompts, *Printer);
        Doc.Lines = NumberedLines(200);
        Pages = PrintPages(*Printer, Doc, {}, 0, 0);
    }

    ScriptedPrinterBackend* B = nullptr;
    std::unique_ptr<THxPrinter> Printer;
    ScriptedPrintPrompts Prompts;
    std::unique_ptr<TPrintCommands> Commands;
    TestDocument Doc;
    int Pages = 0;
};

TEST_F(PrintCommandsTest, CancelledDialogPrintsNothingAndEndsInTheEditingState) {
    ASSERT_GT(Pages, 2);
    THxPrintDialog* seen = nullptr;
    Prompts.PrintAnswer = [&](THxPrintDialog& d) {
        seen = &d;
        return false;
    };
    Commands->Print1Execute(Doc);
    ASSERT_NE(nullptr, seen);
    EXPECT_TRUE(seen->PageNumsEnabled);
    EXPECT_EQ(TPrintRange::prPageNums, seen->PrintRange) << "the page range is preselected";
    EXPECT_EQ(1, seen->MinPage);
    EXPECT_EQ(1, seen->FromPage);
    EXPECT_EQ(Pages, seen->MaxPage);
    EXPECT_EQ(Pages, seen->ToPage);
    EXPECT_TRUE(B->Jobs.empty());
    EXPECT_EQ((std::vector<int>{kOverlayAsking, kOverlayEditing}), Prompts.Overlays);
}

TEST_F(PrintCommandsTest, AcceptedDialogPrintsTheChosenRange) {
    Prompts.PrintAnswer = [](THxPrintDialog&) {
        return true;
    };
    Commands->Print1Execute(Doc);
    ASSERT_EQ(1u, B->Jobs.size());
    EXPECT_EQ(Pages, quillo::testing::PdfPageCount(B->Jobs[0].PdfPath));
    EXPECT_EQ((std::vector<int>{kOverlayAsking, kOverlayPrinting, kOverlayEditing}),
              Prompts.Overlays);

    Prompts.PrintAnswer = [](THxPrintDialog& d) {
        d.PrintRange = TPrintRange::prPageNums;
        d.FromPage = 2;
        d.ToPage = 2;
        return true;
    };
    Commands->Print1Execute(Doc);
    ASSERT_EQ(2u, B->Jobs.size());
    EXPECT_EQ(1, quillo::testing::PdfPageCount(B->Jobs[1].PdfPath));
    EXPECT_TRUE(quillo::testing::PdfPageText(B->Jobs[1].PdfPath, 1).contains("2 ページ"));

    Prompts.PrintAnswer = [](THxPrintDialog& d) {
        d.PrintRange = TPrintRange::prSelection;
        return true;
    };
    Commands->Print1Execute(Doc);
    EXPECT_EQ(2u, B->Jobs.size());
}

TEST_F(PrintCommandsTest, MarginsWithoutRoomAreExplainedInsteadOfPrinting) {
    Commands->Margins() = {15000, 2500, 15000, 2500};
    Commands->Print1Execute(Doc);
    EXPECT_EQ(QStringList({PrintAreaTooSmallMessage()}), Prompts.Warnings);
    EXPECT_EQ(0, Prompts.PrintDialogs);
    EXPECT_TRUE(B->Jobs.empty());
    EXPECT_EQ((std::vector<int>{kOverlayEditing}), Prompts.Overlays);
}

TEST_F(PrintCommandsTest, PrinterModelErrorsReachTheCaller) {
    B->PrinterList = {};
    Printer->CheckSystemChange();
    EXPECT_THROW(Commands->Print1Execute(Doc), EHxPrinterNoPrinter);
    EXPECT_EQ(0, Prompts.PrintDialogs);
}

TEST_F(PrintCommandsTest, PageSetupEditsTheMarginsTheNextPrintUses) {
    EXPECT_EQ((TPageMargins{2500, 2500, 2500, 2500}), Commands->Margins());
    Doc.Lines = NumberedLines(600);
    const int before = PrintPages(*Printer, Doc, Commands->Margins(), 0, 0);
    Prompts.PageSetupAnswer = [](TPageSetupDialog& d) {
        d.Margins = {1000, 1000, 1000, 1000};
        return true;
    };
    Commands->FilePageSetup1Execute();
    EXPECT_EQ((TPageMargins{1000, 1000, 1000, 1000}), Commands->Margins());
    // Smaller margins hold more lines, so fewer pages.
    EXPECT_LT(PrintPages(*Printer, Doc, Commands->Margins(), 0, 0), before);

    Commands->PrinterSetting1Execute();
    EXPECT_EQ(1, Prompts.SetupDialogs);
}

} // namespace
} // namespace quillo::printing
