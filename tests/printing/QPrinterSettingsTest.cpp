#include "printing/QPrinterSettings.h"

#include "printing/PrinterDevice.h"
#include "printing/ScriptedPrinterBackend.h"

#include <gtest/gtest.h>

#include <QPrinter>

namespace quillo::printing {
namespace {

namespace pf = quillo::platform;
using quillo::testing::ScriptedPrinterBackend;

class QPrinterSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        B.PrinterList = {{"P", 0}};
        B.Default = "P";
        B.Papers = {{9, "A4", 2100, 2970}, {1, "Letter", 2159, 2794}, {13, "B5", 1820, 2570}};
        B.Mode.dmFields = pf::DM_COPIES | pf::DM_COLLATE | pf::DM_ORIENTATION | pf::DM_PAPERSIZE |
                          pf::DM_COLOR | pf::DM_DUPLEX;
        B.Mode.dmPaperSize = 9;
        B.Mode.dmCopies = 3;
        B.Mode.dmCollate = 1;
        B.Mode.dmOrientation = 2;
        B.Mode.dmColor = 2;
        B.Mode.dmDuplex = 3;
    }

    ScriptedPrinterBackend B;
};

TEST_F(QPrinterSettingsTest, TheDialogStartsFromThePrintersSettings) {
    TPrinterDevice device(B);
    QPrinter q(QPrinter::HighResolution);
    SettingsToQPrinter(device, B, q);
    EXPECT_EQ(3, q.copyCount());
    EXPECT_TRUE(q.collateCopies());
    EXPECT_EQ(QPageSize::A4, q.pageLayout().pageSize().id());
    EXPECT_EQ(QPageLayout::Landscape, q.pageLayout().orientation());
}

TEST_F(QPrinterSettingsTest, ChoicesComeBackAsPaperNumbersAndDeviceCodes) {
    TPrinterDevice device(B);
    QPrinter q(QPrinter::HighResolution);
    SettingsToQPrinter(device, B, q);
    q.setCopyCount(2);
    q.setCollateCopies(false);
    q.setPageSize(QPageSize(QPageSize::Letter));
    q.setPageOrientation(QPageLayout::Portrait);
    SettingsFromQPrinter(q, device, B);
    const pf::DevMode& s = *device.Settings();
    EXPECT_EQ(2, s.dmCopies);
    EXPECT_EQ(0, s.dmCollate);
    EXPECT_EQ(1, s.dmPaperSize);
    EXPECT_EQ(1, s.dmOrientation);

    // A sheet the printer does not list becomes a user size.
    q.setPageSize(QPageSize(QPageSize::B5)); // Qt's B5 is the ISO one, 176 × 250
    SettingsFromQPrinter(q, device, B);
    EXPECT_EQ(pf::DMPAPER_USER, device.Settings()->dmPaperSize);
    EXPECT_EQ(1760, device.Settings()->dmPaperWidth);
    EXPECT_EQ(2500, device.Settings()->dmPaperLength);
    EXPECT_NE(0u, device.Settings()->dmFields & pf::DM_PAPERWIDTH);

    // A listed sheet, within the dialog's rounding, takes the printer's number back.
    q.setPageSize(QPageSize(QSizeF(182.2, 256.8), QPageSize::Millimeter, "JIS B5"));
    SettingsFromQPrinter(q, device, B);
    EXPECT_EQ(13, device.Settings()->dmPaperSize);
    EXPECT_EQ(0u, device.Settings()->dmFields & pf::DM_PAPERWIDTH);
}

TEST_F(QPrinterSettingsTest, UserSizeReachesTheDialogAsItsSheet) {
    B.Mode.dmPaperSize = pf::DMPAPER_USER;
    B.Mode.dmPaperWidth = 1000;
    B.Mode.dmPaperLength = 1500;
    TPrinterDevice device(B);
    QPrinter q(QPrinter::HighResolution);
    SettingsToQPrinter(device, B, q);
    const QSizeF mm = q.pageLayout().pageSize().size(QPageSize::Millimeter);
    EXPECT_NEAR(100.0, mm.width(), 0.5);
    EXPECT_NEAR(150.0, mm.height(), 0.5);
}

} // namespace
} // namespace quillo::printing
