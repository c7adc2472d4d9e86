// The dialogs themselves, run modally on the offscreen platform and answered
// by a timer.

#include "printing/HxPrintDialogs.h"

#include "printing/HxPrinter.h"
#include "printing/ScriptedPrinterBackend.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QTimer>

#include <functional>
#include <memory>

namespace quillo::printing {
namespace {

// Runs answer on the next modal dialog once it is shown, then closes it.
void AnswerNextDialog(std::function<void(QDialog&)> answer, bool accept) {
    QTimer::singleShot(0, [answer, accept] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            AnswerNextDialog(answer, accept); // not shown yet
            return;
        }
        answer(*dialog);
        accept ? dialog->accept() : dialog->reject();
    });
}

void AcceptNextDialog(std::function<void(QDialog&)> answer) {
    AnswerNextDialog(answer, true);
}

TEST(PrintDialogTest, TheRangeChoiceShownIsTheOneSetAndAcceptingKeepsIt) {
    for (const TPrintRange preset : {TPrintRange::prPageNums, TPrintRange::prAllPages}) {
        auto backend = std::make_unique<quillo::testing::ScriptedPrinterBackend>();
        backend->PrinterList = {{"P", 0}};
        backend->Default = "P";
        THxPrinter printer(std::move(backend));
        THxPrintDialog dialog(printer);
        dialog.PageNumsEnabled = true;
        dialog.PrintRange = preset;
        dialog.MinPage = 1;
        dialog.MaxPage = 7;
        dialog.FromPage = 1;
        dialog.ToPage = 7;
        bool rangeChecked = false;
        AcceptNextDialog([&](QDialog& d) {
            auto* range = d.findChild<QRadioButton*>(QStringLiteral("printRange"));
            ASSERT_NE(nullptr, range);
            rangeChecked = range->isChecked();
        });
        ASSERT_TRUE(dialog.Execute(nullptr));
        EXPECT_EQ(preset == TPrintRange::prPageNums, rangeChecked);
        EXPECT_EQ(preset, dialog.PrintRange);
        if (preset == TPrintRange::prPageNums) {
            EXPECT_EQ(1, dialog.FromPage);
            EXPECT_EQ(7, dialog.ToPage);
        }
    }
}

TEST(PageSetupDialogTest, AcceptedDialogKeepsTheMarginsInHundredthsOfAMillimetre) {
    TPageSetupDialog dialog;
    dialog.Margins = {2500, 1234, 3000, 0};
    AcceptNextDialog([](QDialog&) {});
    ASSERT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ((TPageMargins{2500, 1234, 3000, 0}), dialog.Margins);
}

TEST(PageSetupDialogTest, MarginsEditedInTheDialogAreTakenBack) {
    TPageSetupDialog dialog;
    AcceptNextDialog([](QDialog& d) {
        auto* left = d.findChild<QDoubleSpinBox*>("leftMargin");
        ASSERT_NE(nullptr, left);
        // The dialog shows millimetres for A4.
        left->setValue(12.5);
    });
    ASSERT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(1250, dialog.Margins.Left);
    EXPECT_EQ(2500, dialog.Margins.Top);
}

TEST(PageSetupDialogTest, CancelledDialogChangesNothing) {
    TPageSetupDialog dialog;
    AnswerNextDialog([](QDialog& d) { d.findChild<QDoubleSpinBox*>("topMargin")->setValue(1); },
                     false);
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_EQ(TPageMargins{}, dialog.Margins);
}

} // namespace
} // namespace quillo::printing
