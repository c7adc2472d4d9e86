#include "printing/HxPrinter.h"
#include "printing/HxPrinterErrors.h"
#include "printing/ScriptedPrinterBackend.h"

#include <gtest/gtest.h>

#include <QTest>

#include <functional>

namespace quillo::printing {
namespace {

namespace pf = quillo::platform;
using quillo::testing::ScriptedPrinterBackend;

constexpr std::uint32_t kAllFields = pf::DM_ORIENTATION | pf::DM_PAPERSIZE | pf::DM_SCALE |
                                     pf::DM_COPIES | pf::DM_DEFAULTSOURCE | pf::DM_PRINTQUALITY |
                                     pf::DM_COLOR | pf::DM_DUPLEX | pf::DM_COLLATE;

class HxPrinterTest : public ::testing::Test {
protected:
    // Builds the model once the test has scripted the back end.
    THxPrinter& Model() {
        if (!FModel) {
            FModel = std::make_unique<THxPrinter>(std::move(FBackend));
        }
        return *FModel;
    }

    ScriptedPrinterBackend& Script() { return *B; }

    void SetUp() override {
        FBackend = std::make_unique<ScriptedPrinterBackend>();
        B = FBackend.get();
        B->PrinterList = {{"A", 0}, {"B", pf::PRINTER_ATTRIBUTE_HIDDEN}, {"C", 0}};
        B->PortList = {"usb://a", "usb://c", "usb://a"};
        B->Default = "A";
        B->Mode.dmFields = kAllFields;
        B->Mode.dmPaperSize = 9;
        B->Mode.dmDefaultSource = 7;
        B->Mode.dmCopies = 1;
        B->Papers = {{9, "A4"}, {1, "Letter"}, {9, "A4 (borderless)"}};
        B->BinList = {{7, "Auto"}, {1, "Upper"}, {7, "Auto again"}};
        B->ResolutionList = {{300, 300}, {600, 600}};
        B->MaxCopiesValue = 99;
        B->SetSheet(600, 4960, 7016, 100);
    }

    ScriptedPrinterBackend* B = nullptr;

private:
    std::unique_ptr<ScriptedPrinterBackend> FBackend;
    std::unique_ptr<THxPrinter> FModel;
};

template <typename E> void ExpectError(const std::function<void()>& f, const std::string& message) {
    try {
        f();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(message, e.what());
    } catch (const std::exception& e) {
        ADD_FAILURE() << "wrong exception class: " << e.what() << ", expected: " << message;
    }
}

TEST_F(HxPrinterTest, WithoutVisiblePrintersEveryPropertyReportsNoPrinter) {
    for (const bool none : {false, true}) {
        SCOPED_TRACE(none ? "no printers" : "only hidden printers");
        auto backend = std::make_unique<ScriptedPrinterBackend>();
        backend->Mode.dmFields = kAllFields;
        if (!none) {
            backend->PrinterList = {{"B", pf::PRINTER_ATTRIBUTE_HIDDEN}};
            backend->Default = "B";
        }
        THxPrinter p(std::move(backend));
        const std::vector<std::function<void()>> calls = {
            [&] { p.Index(); },           [&] { p.SetIndex(0); },
            [&] { p.PrinterNames(); },    [&] { p.PortNames(); },
            [&] { p.Copies(); },          [&] { p.SetCopies(2); },
            [&] { p.PaperSizeNumber(); }, [&] { p.NumPaperSizes(); },
            [&] { p.Scale(); },           [&] { p.DPI(); },
            [&] { p.PaperExtent(); },     [&] { p.Offset(); },
            [&] { p.ForceUpdate(); },     [&] { p.ApplySettings(); },
            [&] { p.Modified(); },        [&] { p.BeginDoc("t"); },
            [&] { p.AvailInfos(); },      [&] { p.UserPaperExtent(); },
        };
        for (const auto& call : calls) {
            ExpectError<EHxPrinterNoPrinter>(call, "THxPrinter.CheckNoPrinter: No Printer");
        }
        EXPECT_FALSE(p.Printing());
    }
}

TEST_F(HxPrinterTest, IndexCountsOnlyVisiblePrinters) {
    auto& p = Model();
    p.Printer().SetPrinterIndex(2); // C, after the hidden B
    EXPECT_EQ(1, p.Index());
    EXPECT_EQ(QStringList({"A", "C"}), p.PrinterNames());

    p.SetIndex(0);
    EXPECT_EQ("A", p.Printer().Device());
    p.SetIndex(1);
    EXPECT_EQ("C", p.Printer().Device());

    ExpectError<EHXPrinterRangeError>([&] { p.SetIndex(2); },
                                      "THxPrinter.SetIndex: Index is out of Range");
    ExpectError<EHXPrinterRangeError>([&] { p.SetIndex(-2); },
                                      "THxPrinter.SetIndex: Index is out of Range");

    p.Printer().SetPrinterIndex(1); // the hidden one, chosen behind the model's back
    ExpectError<EHxPrinterIllegalIndex>([&] { p.Index(); },
                                        "THxPrinter.GetIndex: Printers.PrinterIndex is Illegal");
}

TEST_F(HxPrinterTest, DefaultPrinterIsSelectedFirstAndPortsLoseDuplicates) {
    Script().Default = "C";
    auto& p = Model();
    EXPECT_EQ(1, p.Index());
    EXPECT_EQ(QStringList({"usb://a", "usb://c"}), p.PortNames());
    EXPECT_EQ("port:C", p.Port());
    p.SetPort("port:C");
    EXPECT_FALSE(p.Modified());
    p.SetPort("lpt1");
    EXPECT_TRUE(p.Modified());
}

TEST_F(HxPrinterTest, ModifiedOnlyWhenAValueChangesAndDiscardRestoresThePrinters) {
    auto& p = Model();
    p.SetCopies(1);
    EXPECT_FALSE(p.Modified());
    p.SetCopies(3);
    EXPECT_TRUE(p.Modified());
    EXPECT_EQ(3, p.Copies());
    p.DiscardModification();
    EXPECT_FALSE(p.Modified());
    EXPECT_EQ(1, p.Copies());

    // Quality and the user size mark the copy even when nothing changes.
    p.SetQuality({0, 0});
    EXPECT_TRUE(p.Modified());
}

TEST_F(HxPrinterTest, ApplySettingsHandsTheCopyToThePrinterThroughTheDriver) {
    auto& p = Model();
    p.SetCopies(4);
    p.SetColor(true);
    p.ApplySettings();
    EXPECT_FALSE(p.Modified());
    ASSERT_FALSE(B->Validated.empty());
    EXPECT_EQ(4, B->Validated.back().dmCopies);
    EXPECT_EQ(4, p.Printer().Settings()->dmCopies);
    EXPECT_EQ(2, p.Printer().Settings()->dmColor);
    EXPECT_EQ(4, p.Copies()); // reloaded from the printer

    B->RejectSettings = true;
    EXPECT_THROW(p.ApplySettings(), EAssertionFailed);
}

TEST_F(HxPrinterTest, UserPaperSizeAndPaperNumbersSwitchTheUserSizeFlags) {
    Script().Mode.dmFields |= pf::DM_PAPERLENGTH | pf::DM_PAPERWIDTH;
    auto& p = Model();
    ExpectError<EHxPrinterNoUserPaperExtent>(
        [&] { p.UserPaperExtent(); },
        "THxPrinter.GetUserpaperExtent: Cannot Get User paper Extent");

    p.SetUserPaperExtent(QSize(2100, 2970));
    EXPECT_EQ(256, p.PaperSizeNumber());
    EXPECT_TRUE(p.PrintCaps().Contains(THxPrintCap::hxPcPaperlength));
    EXPECT_TRUE(p.PrintCaps().Contains(THxPrintCap::hxPcPaperWidth));
    EXPECT_EQ(QSize(2100, 2970), p.UserPaperExtent());

    p.SetPaperSizeNumber(9);
    EXPECT_FALSE(p.PrintCaps().Contains(THxPrintCap::hxPcPaperlength));
    EXPECT_FALSE(p.PrintCaps().Contains(THxPrintCap::hxPcPaperWidth));
    EXPECT_THROW(p.UserPaperExtent(), EHxPrinterNoUserPaperExtent);
}

TEST_F(HxPrinterTest, RepeatedPaperNumberGivesTheFirstIndexRepeatedBinTheLast) {
    auto& p = Model();
    EXPECT_EQ(0, p.PaperSizeIndex());
    EXPECT_EQ(2, p.BinIndex());
    EXPECT_EQ(3, p.NumPaperSizes());
    EXPECT_EQ(QStringList({"Auto", "Upper", "Auto again"}), p.BinNames());

    p.SetPaperSizeIndex(1);
    EXPECT_EQ(1, p.PaperSizeNumber());
    p.SetBinIndex(1);
    EXPECT_EQ(1, p.BinNumber());
    EXPECT_TRUE(p.HasPaperSizeNumber(9));
    EXPECT_FALSE(p.HasBinNumber(4));

    ExpectError<EHXPrinterPaperSizeError>([&] { p.SetPaperSizeIndex(3); },
                                          "THxPrinter:SetPaperSizeIndex: No such PaperSize Index");
    ExpectError<EHxPrinterBinError>([&] { p.SetBinIndex(-1); },
                                    "THxPrinter:SetBinIndex: No such Bin Index");
    p.SetPaperSizeNumber(70);
    ExpectError<EHXPrinterPaperSizeError>([&] { p.PaperSizeIndex(); },
                                          "THxPrinter.GetPaperSizeIndex: Cannot Get Paper Index");
    p.SetBinNumber(4);
    ExpectError<EHxPrinterBinError>([&] { p.BinIndex(); },
                                    "THxPrinter.GetBinIndex: Cannot Get Bin Index");
}

TEST_F(HxPrinterTest, DriverNamesAreCutLikeTheDriverBuffers) {
    Script().Papers = {{9, QString(70, 'p')}, {1, QString("Let") + QChar(0) + "ter"}};
    Script().BinList = {{7, QString(30, 'b')}};
    auto& p = Model();
    EXPECT_EQ(QStringList({QString(64, 'p'), "Let"}), p.PaperSizeNames());
    EXPECT_EQ(QStringList({QString(24, 'b')}), p.BinNames());
}

TEST_F(HxPrinterTest, ScaleReadsOneHundredWithoutTheCapabilityButCannotBeSet) {
    Script().Mode.dmFields &= ~pf::DM_SCALE;
    Script().Mode.dmScale = 50;
    auto& p = Model();
    EXPECT_EQ(100, p.Scale());
    ExpectError<EHxPrinterNotSupported>([&] { p.SetScale(80); },
                                        "THxPrinter.SetScale: Scale is not Supported");
}

TEST_F(HxPrinterTest, MissingCapabilitiesAreReportedPerOperation) {
    Script().Mode.dmFields = 0;
    auto& p = Model();
    using E = EHxPrinterNotSupported;
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { p.PaperSizeNumber(); }, "THxPrinter.GetPaperSizeNumber: PaperSize is not Supported"},
        {[&] { p.SetPaperSizeNumber(9); },
         "THxPrinter.SetPaperSizeNumber: PaperSize is not Supported"},
        {[&] { p.HasPaperSizeNumber(9); }, "THxPrinter.HasPaperNumber: PaperSize is not Supported"},
        {[&] { p.NumPaperSizes(); }, "THxPrinter.GetNumPaperSize: PaperSize is not Supported"},
        {[&] { p.PaperSizeNames(); }, "THxPrinter.GetPaperSizeNames: PaperSize is not Supported"},
        {[&] { p.PaperSizeIndex(); }, "THxPrinter.GetPaperSizeIndex: PaperSize is not Supported"},
        {[&] { p.SetPaperSizeIndex(0); },
         "THxPrinter.SetPaperSizeIndex: PaperSize is not Supported"},
        {[&] {
             p.SetUserPaperExtent({1, 1});
         },
         "THxPrinter.SetpaperExtent: PaperSize is not Supported"},
        {[&] { p.BinNumber(); }, "THxPrinter.GetBinNumber: Bin is not Supported"},
        {[&] { p.SetBinNumber(1); }, "THxPrinter.SetBinNumber: Bin is not Supported"},
        {[&] { p.HasBinNumber(1); }, "THxPrinter.SetBin: Bin is not Supported"},
        {[&] { p.NumBins(); }, "THxPrinter.GetNumBins: Bin is not Supported"},
        {[&] { p.BinNames(); }, "THxPrinter.GetBinNames: Bin is not Supported"},
        {[&] { p.BinIndex(); }, "THxPrinter.GetBinIndex: Bin is not Supported"},
        {[&] { p.SetBinIndex(0); }, "THxPrinter.SetBinIndex: Bin is not Supported"},
        {[&] { p.Orientation(); }, "THxPrinter.GetOrientation: Orientation is not Supported"},
        {[&] { p.SetOrientation(THxPaperOrientation::hxOrLandScape); },
         "THxPrinter.SetOrientation: Orientation is not Supported"},
        {[&] { p.MaxCopies(); }, "THxPrinter.GetMaxCopies: Copies is not Supported"},
        {[&] { p.Copies(); }, "THxPrinter.GetCopies: Copies not Supported"},
        {[&] { p.SetCopies(2); }, "THxPrinter.SetCopies: Copies not Supported"},
        {[&] { p.Collate(); }, "THxPrinter.GetCollate: Collate is not Supported"},
        {[&] { p.SetCollate(true); }, "THxPrinter.SetCollate: Collate is not Supported"},
        {[&] { p.Color(); }, "THxPrinter.GetColor: Color is not Supported"},
        {[&] { p.SetColor(true); }, "THxPrinter.SetColor: Color is not Supported"},
        {[&] { p.Duplex(); }, "THxPrinter.GetDuplex: Duplex is not Supported"},
        {[&] { p.SetDuplex(THxDuplex::hxDupVertical); },
         "THxPrinter.SetDuplex: Duplex is not Supported"},
        {[&] { p.Quality(); }, "THxPrinter.GetQuality: PrintQuality is not Supported"},
        {[&] {
             p.SetQuality({300, 300});
         },
         "THxPrinter.SetQuality: PrintQuality is not Supported"},
        {[&] { p.NumQualities(); }, "THxPrinter.GetNumQualities: PrintQuality is not Supported"},
    };
    for (const auto& [call, message] : cases) {
        ExpectError<E>(call, message);
    }
    EXPECT_FALSE(p.Modified());
}

TEST_F(HxPrinterTest, MissingDriverListsAreReportedPerOperation) {
    Script().Papers.clear();
    Script().BinList.clear();
    Script().ResolutionList.clear();
    Script().MaxCopiesValue = 0;
    auto& p = Model();
    EXPECT_TRUE(p.AvailInfos().Empty());
    using E = EHxPrinterNoInfo;
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { p.HasPaperSizeNumber(9); },
         "THxPrinter.HasPapserSizeNumber: No PaperSize Info Available"},
        {[&] { p.NumPaperSizes(); }, "THxPrinter.GetNumPaperSizes: No Papersize Info Available"},
        {[&] { p.PaperSizeNames(); }, "THxPrinter.GetPaperSizeNames: No Papersize Info Available"},
        {[&] { p.PaperSizeIndex(); }, "THxPrinter.GetPaperSizeIndex: No Papersize Info Available"},
        {[&] { p.SetPaperSizeIndex(0); },
         "THxPrinter.SetPaperSizeIndex: No Papersize Info Available"},
        {[&] { p.HasBinNumber(1); }, "THxPrinter.HasBinNumber: No Bin Info Available"},
        {[&] { p.NumBins(); }, "THxPrinter.GetNumBins: No Bin Info Available"},
        {[&] { p.BinNames(); }, "THxPrinter.GetBinNames: No Bin Info Available"},
        {[&] { p.BinIndex(); }, "THxPrinter.GetBinIndex: No Bin Info Available"},
        {[&] { p.SetBinIndex(0); }, "THxPrinter.SetBinIndex: No Bin Info Available"},
        {[&] { p.MaxCopies(); }, "THxPrinter.GetMaxCopies: No MaxCopies Info Available"},
        {[&] { p.NumQualities(); }, "THxPrinter.GetNumQualities: No Quality Info Available"},
    };
    for (const auto& [call, message] : cases) {
        ExpectError<E>(call, message);
    }
    // Values that need no list still work.
    EXPECT_EQ(9, p.PaperSizeNumber());
}

TEST_F(HxPrinterTest, ValuesMapToTheDeviceModeCodes) {
    Script().Mode.dmDuplex = 5;
    Script().Mode.dmOrientation = 7;
    Script().Mode.dmColor = 1;
    auto& p = Model();
    EXPECT_EQ(THxDuplex::hxDupVertical, p.Duplex());
    EXPECT_EQ(THxPaperOrientation::hxOrLandScape, p.Orientation());
    EXPECT_FALSE(p.Color());

    p.SetDuplex(THxDuplex::hxDupHorizontal);
    p.SetCollate(true);
    p.SetColor(true);
    p.SetOrientation(THxPaperOrientation::hxOrPortrait);
    p.ApplySettings();
    const pf::DevMode& s = *p.Printer().Settings();
    EXPECT_EQ(3, s.dmDuplex);
    EXPECT_EQ(1, s.dmCollate);
    EXPECT_EQ(2, s.dmColor);
    EXPECT_EQ(1, s.dmOrientation);

    ExpectError<EHXPrinterRangeError>([&] { p.SetCopies(0); },
                                      "THxPrinter.SetCopies: Too Small Copies");
    EXPECT_EQ(99, p.MaxCopies());
    EXPECT_EQ(2, p.NumQualities());
}

TEST_F(HxPrinterTest, QualityKeepsTheVerticalResolutionOnlyForResolutions) {
    auto& p = Model();
    p.SetQuality({600, 300});
    EXPECT_EQ((THxPoint{600, 300}), p.Quality());
    EXPECT_TRUE(p.PrintCaps().Contains(THxPrintCap::hxPcYResolution));
    p.SetQuality({pf::DMRES_DRAFT, 300});
    EXPECT_EQ((THxPoint{pf::DMRES_DRAFT, 0}), p.Quality());
    EXPECT_FALSE(p.PrintCaps().Contains(THxPrintCap::hxPcYResolution));
}

TEST_F(HxPrinterTest, DeviceMeasuresComeFromTheSelectedPrinter) {
    Script().Mode.dmScale = 50;
    auto& p = Model();
    EXPECT_EQ((THxPoint{600, 600}), p.DPI());
    EXPECT_EQ(QSize(4960, 7016), p.PaperExtent());
    EXPECT_EQ(QSize(4760, 6816), p.PageExtent());
    EXPECT_EQ((THxPoint{100, 100}), p.Offset());
    // (pixels × 254 × scale) div dpi div 100
    EXPECT_EQ(QSize(4960 * 254 * 50 / 600 / 100, 7016 * 254 * 50 / 600 / 100), p.MMPaperExtent());
    EXPECT_EQ(24, p.ColorBitCount());
}

TEST_F(HxPrinterTest, SystemChangesAreNoticedOnceEach) {
    auto& p = Model();
    int notices = 0;
    p.OnSystemChanged = [&] {
        ++notices;
    };
    p.SetIndex(1);
    p.SetCopies(5);

    p.CheckSystemChange();
    EXPECT_EQ(0, notices);

    B->PrinterList.push_back({"D", 0});
    B->PortList.append("ipp://d");
    p.CheckSystemChange();
    p.CheckSystemChange();
    EXPECT_EQ(1, notices);
    EXPECT_EQ(QStringList({"A", "C", "D"}), p.PrinterNames());
    EXPECT_FALSE(p.Modified());
    EXPECT_EQ(0, p.Index()); // the selection starts again from the default

    B->PortList.append("socket://e");
    p.CheckSystemChange();
    p.CheckSystemChange();
    EXPECT_EQ(2, notices);

    B->PrinterList[0].Attributes = pf::PRINTER_ATTRIBUTE_HIDDEN;
    p.CheckSystemChange();
    EXPECT_EQ(3, notices);
    EXPECT_EQ(QStringList({"C", "D"}), p.PrinterNames());
}

TEST_F(HxPrinterTest, WatchingNoticesChangesWhileTheEventLoopRuns) {
    auto& p = Model();
    int notices = 0;
    p.OnSystemChanged = [&] {
        ++notices;
    };
    p.StartWatching(10);
    B->PrinterList.push_back({"D", 0});
    EXPECT_TRUE(QTest::qWaitFor([&] { return notices == 1; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(1, notices);
    p.StopWatching();
    B->PrinterList.pop_back();
    QTest::qWait(100);
    EXPECT_EQ(1, notices);
}

} // namespace
} // namespace quillo::printing
