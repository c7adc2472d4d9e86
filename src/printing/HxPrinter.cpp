// The printer model: printer list, selection, capabilities and job settings.

#include "printing/HxPrinter.h"

#include "platform/printer/CupsPrinterBackend.h"
#include "printing/HxPrinterErrors.h"
#include "printing/HxSystemWatcher.h"

#include <QCoreApplication>

#include <algorithm>

namespace quillo::printing {

namespace pf = quillo::platform;
using enum THxPrintCap;

namespace {

// Driver name buffers hold this many UTF-16 units; longer names are cut.
constexpr int kPaperNameUnits = 64;
constexpr int kBinNameUnits = 24;

QString DriverName(const QString& name, int units) {
    QString s = name.left(units);
    const qsizetype nul = s.indexOf(QChar(0));
    return nul >= 0 ? s.left(nul) : s;
}

} // namespace

THxPrinter::THxPrinter(std::unique_ptr<pf::PrinterBackend> backend)
    : FBackend(std::move(backend)), FPrinter(*FBackend),
      AllInfo(std::make_unique<THxAllPrintersInfo>(*FBackend)) {
    // The baseline for change notices, so the first look reports no change.
    FPortNames = ReadPortNames();
}

THxPrinter::~THxPrinter() {
    StopWatching();
    pSettings.reset();
}

// --- checks ---------------------------------------------------------------

void THxPrinter::CheckNoPrinter() {
    if (AllInfo->VisibleCount() == 0) {
        FIndex = -1;
        throw EHxPrinterNoPrinter("THxPrinter.CheckNoPrinter: No Printer");
    }
}

void THxPrinter::CheckCap(THxPrintCap cap, const char* message) {
    if (!PrintCaps().Contains(cap)) {
        throw EHxPrinterNotSupported(message);
    }
}

void THxPrinter::CheckInfo(THxAvailInfo info, const char* message) {
    UpdateLists();
    if (!FAvailInfos.Contains(info)) {
        throw EHxPrinterNoInfo(message);
    }
}

// --- settings and lists ---------------------------------------------------

void THxPrinter::LoadSettings() {
    pf::DevMode* mode = FPrinter.Settings();
    if (mode == nullptr) {
        FPrinter.SetPrinterIndex(FPrinter.PrinterIndex());
        mode = FPrinter.Settings();
    }
    if (mode == nullptr) {
        throw EAssertionFailed("THxPrinter.LoadSettings: No Devmode");
    }
    pSettings = *mode;
    PortName = FPrinter.Port();
}

pf::DevMode& THxPrinter::Settings() {
    if (!pSettings) {
        LoadSettings();
    }
    return *pSettings;
}

void THxPrinter::UpdateLists() {
    const int index = FPrinter.PrinterIndex();
    if (index == FIndex) {
        return;
    }
    FIndex = index;
    if (!pSettings) {
        LoadSettings();
    }
    FAvailInfos = {};
    const QString device = FPrinter.Device();
    const QString port = FPrinter.Port();

    pPaperNumbers.clear();
    FPaperNames.clear();
    const auto papers = FBackend->PaperSizes(device, port);
    if (!papers.empty()) {
        FAvailInfos.Include(THxAvailInfo::hxAvPaperSize);
        for (const auto& p : papers) {
            pPaperNumbers.push_back(p.Number);
            FPaperNames.append(DriverName(p.Name, kPaperNameUnits));
        }
    }

    pBinNumbers.clear();
    FBinNames.clear();
    const auto bins = FBackend->Bins(device, port);
    if (!bins.empty()) {
        FAvailInfos.Include(THxAvailInfo::hxAvBin);
        for (const auto& b : bins) {
            pBinNumbers.push_back(b.Number);
            FBinNames.append(DriverName(b.Name, kBinNameUnits));
        }
    }

    pResolutions = FBackend->Resolutions(device, port);
    FNumResolutions = static_cast<int>(pResolutions.size());
    if (FNumResolutions > 0) {
        FAvailInfos.Include(THxAvailInfo::hxAvQuality);
    }

    const int maxCopies = FBackend->MaxCopies(device, port);
    if (maxCopies > 0) {
        FAvailInfos.Include(THxAvailInfo::hxAvMaxCopies);
        FMaxCopies = maxCopies;
    }
}

void THxPrinter::ForceUpdate() {
    DiscardModification();
    FIndex = -1;
    UpdateLists();
}

void THxPrinter::ApplySettings() {
    CheckNoPrinter();
    if (FModified) {
        if (!pSettings) {
            throw EAssertionFailed("THxPrinter.ApplySettings; No Setteing Info");
        }
        FPrinter.SetPrinter(FPrinter.Device(), PortName, *pSettings);
        DiscardModification();
        FIndex = -1;
    }
    pf::DevMode* mode = FPrinter.Settings();
    if (mode == nullptr) {
        FPrinter.SetPrinterIndex(FPrinter.PrinterIndex());
        mode = FPrinter.Settings();
    }
    if (mode == nullptr) {
        throw EAssertionFailed("THxPrinter.ApplySettings; Devmode Size Should be greater than 0");
    }
    pf::DevMode merged = *mode;
    if (!FBackend->ValidateDevMode(FPrinter.Device(), merged)) {
        throw EAssertionFailed("THxPrinter.ApplySettings: The driver refused the settings");
    }
    FPrinter.SetPrinter(FPrinter.Device(), FPrinter.Port(), merged);
}

void THxPrinter::DiscardModification() {
    CheckNoPrinter();
    pSettings.reset();
    FModified = false;
}

// --- the job --------------------------------------------------------------

void THxPrinter::BeginDoc(const QString& title) {
    CheckNoPrinter();
    FPrinter.SetTitle(title);
    FPrinter.BeginDoc();
}

void THxPrinter::Newpage() {
    FPrinter.NewPage();
}
void THxPrinter::EndDoc() {
    FPrinter.EndDoc();
}
void THxPrinter::Abort() {
    FPrinter.Abort();
}

QPainter* THxPrinter::Canvas() {
    CheckNoPrinter();
    return FPrinter.Canvas();
}

QPrinter* THxPrinter::Handle() {
    CheckNoPrinter();
    return FPrinter.Handle();
}

bool THxPrinter::Printing() {
    return FPrinter.Printing();
}

QPaintDevice* THxPrinter::MeasureDevice() {
    CheckNoPrinter();
    return FPrinter.MeasureDevice();
}

// --- selection ------------------------------------------------------------

bool THxPrinter::Modified() {
    CheckNoPrinter();
    return FModified;
}

int THxPrinter::Index() {
    CheckNoPrinter();
    const int index = FPrinter.PrinterIndex();
    if (index == -1) {
        return -1;
    }
    if (index >= AllInfo->Count() || AllInfo->IsHidden(index)) {
        throw EHxPrinterIllegalIndex("THxPrinter.GetIndex: Printers.PrinterIndex is Illegal");
    }
    const QString device = FPrinter.Device();
    int hidden = 0;
    for (int i = 0; i < AllInfo->Count(); ++i) {
        if ((*AllInfo)[i].Name == device) {
            return i - hidden;
        }
        hidden += AllInfo->IsHidden(i) ? 1 : 0;
    }
    throw EAssertionFailed("THxPrinter.GetIndex: The current printer is not in the list");
}

void THxPrinter::SetIndex(int value) {
    CheckNoPrinter();
    if (value < -1) {
        throw EHXPrinterRangeError("THxPrinter.SetIndex: Index is out of Range");
    }
    if (value == Index()) {
        return;
    }
    int target = -1;
    if (value >= 0) {
        int visible = -1;
        for (int i = 0; i < AllInfo->Count(); ++i) {
            if (!AllInfo->IsHidden(i) && ++visible == value) {
                target = i;
                break;
            }
        }
        if (target < 0) {
            throw EHXPrinterRangeError("THxPrinter.SetIndex: Index is out of Range");
        }
    }
    FPrinter.SetPrinterIndex(target);
    DiscardModification();
    FIndex = -1;
    UpdateLists();
}

QStringList THxPrinter::PrinterNames() {
    CheckNoPrinter();
    FPrinterNames.clear();
    for (int i = 0; i < AllInfo->Count(); ++i) {
        if (!AllInfo->IsHidden(i)) {
            FPrinterNames.append((*AllInfo)[i].Name);
        }
    }
    return FPrinterNames;
}

QStringList THxPrinter::ReadPortNames() {
    QStringList names;
    for (const QString& p : FBackend->Ports()) {
        if (!names.contains(p)) {
            names.append(p);
        }
    }
    return names;
}

QStringList THxPrinter::PortNames() {
    CheckNoPrinter();
    FPortNames = ReadPortNames();
    return FPortNames;
}

QString THxPrinter::Port() {
    CheckNoPrinter();
    Settings();
    return PortName;
}

void THxPrinter::SetPort(const QString& value) {
    CheckNoPrinter();
    Settings();
    if (value != PortName) {
        PortName = value;
        MarkModified();
    }
}

THxPrintCaps THxPrinter::PrintCaps() {
    CheckNoPrinter();
    return HxPrintCapsFromFields(Settings().dmFields);
}

THxAvailInfos THxPrinter::AvailInfos() {
    CheckNoPrinter();
    UpdateLists();
    return FAvailInfos;
}

// --- job settings ---------------------------------------------------------

THxPaperOrientation THxPrinter::Orientation() {
    CheckNoPrinter();
    CheckCap(hxPcOrientation, "THxPrinter.GetOrientation: Orientation is not Supported");
    return Settings().dmOrientation == 1 ? THxPaperOrientation::hxOrPortrait
                                         : THxPaperOrientation::hxOrLandScape;
}

void THxPrinter::SetOrientation(THxPaperOrientation value) {
    CheckNoPrinter();
    CheckCap(hxPcOrientation, "THxPrinter.SetOrientation: Orientation is not Supported");
    const std::int16_t v = value == THxPaperOrientation::hxOrPortrait ? 1 : 2;
    if (Settings().dmOrientation != v) {
        Settings().dmOrientation = v;
        MarkModified();
    }
}

int THxPrinter::PaperSizeNumber() {
    CheckNoPrinter();
    CheckCap(hxPcPaperSize, "THxPrinter.GetPaperSizeNumber: PaperSize is not Supported");
    return Settings().dmPaperSize;
}

void THxPrinter::SetPaperSizeNumber(int value) {
    CheckNoPrinter();
    CheckCap(hxPcPaperSize, "THxPrinter.SetPaperSizeNumber: PaperSize is not Supported");
    pf::DevMode& s = Settings();
    if (s.dmPaperSize != value) {
        s.dmPaperSize = static_cast<std::int16_t>(value);
        if (value != pf::DMPAPER_USER) {
            s.dmFields &= ~(pf::DM_PAPERLENGTH | pf::DM_PAPERWIDTH);
        }
        MarkModified();
    }
}

bool THxPrinter::HasPaperSizeNumber(int sizeNumber) {
    CheckNoPrinter();
    CheckCap(hxPcPaperSize, "THxPrinter.HasPaperNumber: PaperSize is not Supported");
    CheckInfo(THxAvailInfo::hxAvPaperSize,
              "THxPrinter.HasPapserSizeNumber: No PaperSize Info Available");
    return std::find(pPaperNumbers.begin(), pPaperNumbers.end(), sizeNumber) != pPaperNumbers.end();
}

int THxPrinter::NumPaperSizes() {
    CheckNoPrinter();
    CheckCap(hxPcPaperSize, "THxPrinter.GetNumPaperSize: PaperSize is not Supported");
    CheckInfo(THxAvailInfo::hxAvPaperSize,
              "THxPrinter.GetNumPaperSizes: No Papersize Info Available");
    return static_cast<int>(pPaperNumbers.size());
}

QStringList THxPrinter::PaperSizeNames() {
    CheckNoPrinter();
    CheckCap(hxPcPaperSize, "THxPrinter.GetPaperSizeNames: PaperSize is not Supported");
    CheckInfo(THxAvailInfo::hxAvPaperSize,
              "THxPrinter.GetPaperSizeNames: No Papersize Info Available");
    return FPaperNames;
}

int THxPrinter::PaperSizeIndex() {
    CheckNoPrinter();
    CheckCap(hxPcPaperSize, "THxPrinter.GetPaperSizeIndex: PaperSize is not Supported");
    CheckInfo(THxAvailInfo::hxAvPaperSize,
              "THxPrinter.GetPaperSizeIndex: No Papersize Info Available");
    const int number = Settings().dmPaperSize;
    for (std::size_t i = 0; i < pPaperNumbers.size(); ++i) {
        if (pPaperNumbers[i] == number) {
            return static_cast<int>(i);
        }
    }
    throw EHXPrinterPaperSizeError("THxPrinter.GetPaperSizeIndex: Cannot Get Paper Index");
}

void THxPrinter::SetPaperSizeIndex(int value) {
    CheckNoPrinter();
    CheckCap(hxPcPaperSize, "THxPrinter.SetPaperSizeIndex: PaperSize is not Supported");
    CheckInfo(THxAvailInfo::hxAvPaperSize,
              "THxPrinter.SetPaperSizeIndex: No Papersize Info Available");
    if (value < 0 || value >= static_cast<int>(pPaperNumbers.size())) {
        throw EHXPrinterPaperSizeError("THxPrinter:SetPaperSizeIndex: No such PaperSize Index");
    }
    SetPaperSizeNumber(pPaperNumbers[value]);
}

QSize THxPrinter::UserPaperExtent() {
    CheckNoPrinter();
    const THxPrintCaps caps = PrintCaps();
    const pf::DevMode& s = Settings();
    if (!caps.Contains(hxPcPaperSize) || !caps.Contains(hxPcPaperlength) ||
        !caps.Contains(hxPcPaperWidth) || s.dmPaperSize != pf::DMPAPER_USER) {
        throw EHxPrinterNoUserPaperExtent(
            "THxPrinter.GetUserpaperExtent: Cannot Get User paper Extent");
    }
    return QSize(s.dmPaperWidth, s.dmPaperLength);
}

void THxPrinter::SetUserPaperExtent(QSize value) {
    CheckNoPrinter();
    CheckCap(hxPcPaperSize, "THxPrinter.SetpaperExtent: PaperSize is not Supported");
    pf::DevMode& s = Settings();
    s.dmPaperWidth = static_cast<std::int16_t>(value.width());
    s.dmPaperLength = static_cast<std::int16_t>(value.height());
    s.dmPaperSize = pf::DMPAPER_USER;
    s.dmFields |= pf::DM_PAPERLENGTH | pf::DM_PAPERWIDTH;
    MarkModified();
}

int THxPrinter::BinNumber() {
    CheckNoPrinter();
    CheckCap(hxPcDefaultSource, "THxPrinter.GetBinNumber: Bin is not Supported");
    return Settings().dmDefaultSource;
}

void THxPrinter::SetBinNumber(int value) {
    CheckNoPrinter();
    CheckCap(hxPcDefaultSource, "THxPrinter.SetBinNumber: Bin is not Supported");
    if (Settings().dmDefaultSource != value) {
        Settings().dmDefaultSource = static_cast<std::int16_t>(value);
        MarkModified();
    }
}

bool THxPrinter::HasBinNumber(int binNumber) {
    CheckNoPrinter();
    CheckCap(hxPcDefaultSource, "THxPrinter.SetBin: Bin is not Supported");
    CheckInfo(THxAvailInfo::hxAvBin, "THxPrinter.HasBinNumber: No Bin Info Available");
    return std::find(pBinNumbers.begin(), pBinNumbers.end(), binNumber) != pBinNumbers.end();
}

int THxPrinter::NumBins() {
    CheckNoPrinter();
    CheckCap(hxPcDefaultSource, "THxPrinter.GetNumBins: Bin is not Supported");
    CheckInfo(THxAvailInfo::hxAvBin, "THxPrinter.GetNumBins: No Bin Info Available");
    return static_cast<int>(pBinNumbers.size());
}

QStringList THxPrinter::BinNames() {
    CheckNoPrinter();
    CheckCap(hxPcDefaultSource, "THxPrinter.GetBinNames: Bin is not Supported");
    CheckInfo(THxAvailInfo::hxAvBin, "THxPrinter.GetBinNames: No Bin Info Available");
    return FBinNames;
}

int THxPrinter::BinIndex() {
    CheckNoPrinter();
    CheckCap(hxPcDefaultSource, "THxPrinter.GetBinIndex: Bin is not Supported");
    CheckInfo(THxAvailInfo::hxAvBin, "THxPrinter.GetBinIndex: No Bin Info Available");
    const int number = Settings().dmDefaultSource;
    for (int i = static_cast<int>(pBinNumbers.size()) - 1; i >= 0; --i) {
        if (pBinNumbers[i] == number) {
            return i;
        }
    }
    throw EHxPrinterBinError("THxPrinter.GetBinIndex: Cannot Get Bin Index");
}

void THxPrinter::SetBinIndex(int value) {
    CheckNoPrinter();
    CheckCap(hxPcDefaultSource, "THxPrinter.SetBinIndex: Bin is not Supported");
    CheckInfo(THxAvailInfo::hxAvBin, "THxPrinter.SetBinIndex: No Bin Info Available");
    if (value < 0 || value >= static_cast<int>(pBinNumbers.size())) {
        throw EHxPrinterBinError("THxPrinter:SetBinIndex: No such Bin Index");
    }
    SetBinNumber(pBinNumbers[value]);
}

int THxPrinter::Copies() {
    CheckNoPrinter();
    CheckCap(hxPcCopies, "THxPrinter.GetCopies: Copies not Supported");
    return Settings().dmCopies;
}

void THxPrinter::SetCopies(int value) {
    CheckNoPrinter();
    CheckCap(hxPcCopies, "THxPrinter.SetCopies: Copies not Supported");
    // The record holds 16 bits; refuse what it cannot hold instead of wrapping.
    if (value < 1) {
        throw EHXPrinterRangeError("THxPrinter.SetCopies: Too Small Copies");
    }
    if (value > 32767) {
        throw EHXPrinterRangeError("THxPrinter.SetCopies: Too Many Copies");
    }
    if (Settings().dmCopies != value) {
        Settings().dmCopies = static_cast<std::int16_t>(value);
        MarkModified();
    }
}

int THxPrinter::MaxCopies() {
    CheckNoPrinter();
    CheckCap(hxPcCopies, "THxPrinter.GetMaxCopies: Copies is not Supported");
    CheckInfo(THxAvailInfo::hxAvMaxCopies, "THxPrinter.GetMaxCopies: No MaxCopies Info Available");
    return FMaxCopies;
}

bool THxPrinter::Collate() {
    CheckNoPrinter();
    CheckCap(hxPcCollate, "THxPrinter.GetCollate: Collate is not Supported");
    return Settings().dmCollate == 1;
}

void THxPrinter::SetCollate(bool value) {
    CheckNoPrinter();
    CheckCap(hxPcCollate, "THxPrinter.SetCollate: Collate is not Supported");
    if (Collate() != value) {
        Settings().dmCollate = value ? 1 : 0;
        MarkModified();
    }
}

bool THxPrinter::Color() {
    CheckNoPrinter();
    CheckCap(hxPcColor, "THxPrinter.GetColor: Color is not Supported");
    return Settings().dmColor == 2;
}

void THxPrinter::SetColor(bool value) {
    CheckNoPrinter();
    CheckCap(hxPcColor, "THxPrinter.SetColor: Color is not Supported");
    if (Color() != value) {
        Settings().dmColor = value ? 2 : 1;
        MarkModified();
    }
}

THxDuplex THxPrinter::Duplex() {
    CheckNoPrinter();
    CheckCap(hxPcDuplex, "THxPrinter.GetDuplex: Duplex is not Supported");
    switch (Settings().dmDuplex) {
    case 1:
        return THxDuplex::hxDupSimplex;
    case 3:
        return THxDuplex::hxDupHorizontal;
    default:
        return THxDuplex::hxDupVertical;
    }
}

void THxPrinter::SetDuplex(THxDuplex value) {
    CheckNoPrinter();
    CheckCap(hxPcDuplex, "THxPrinter.SetDuplex: Duplex is not Supported");
    const std::int16_t v = value == THxDuplex::hxDupSimplex      ? 1
                           : value == THxDuplex::hxDupHorizontal ? 3
                                                                 : 2;
    if (Settings().dmDuplex != v) {
        Settings().dmDuplex = v;
        MarkModified();
    }
}

int THxPrinter::Scale() {
    CheckNoPrinter();
    if (!PrintCaps().Contains(hxPcScale)) {
        return 100;
    }
    return Settings().dmScale;
}

void THxPrinter::SetScale(int value) {
    CheckNoPrinter();
    CheckCap(hxPcScale, "THxPrinter.SetScale: Scale is not Supported");
    if (Settings().dmScale != value) {
        Settings().dmScale = static_cast<std::int16_t>(value);
        MarkModified();
    }
}

THxPoint THxPrinter::Quality() {
    CheckNoPrinter();
    CheckCap(hxPcPrintQuality, "THxPrinter.GetQuality: PrintQuality is not Supported");
    const pf::DevMode& s = Settings();
    const int y =
        s.dmPrintQuality > 0 && (s.dmFields & pf::DM_YRESOLUTION) != 0 ? s.dmYResolution : 0;
    return {s.dmPrintQuality, y};
}

void THxPrinter::SetQuality(THxPoint value) {
    CheckNoPrinter();
    CheckCap(hxPcPrintQuality, "THxPrinter.SetQuality: PrintQuality is not Supported");
    pf::DevMode& s = Settings();
    s.dmPrintQuality = static_cast<std::int16_t>(value.X);
    if (value.X > 0) {
        s.dmYResolution = static_cast<std::int16_t>(value.Y);
        s.dmFields |= pf::DM_YRESOLUTION;
    } else {
        s.dmYResolution = 0;
        s.dmFields &= ~pf::DM_YRESOLUTION;
    }
    MarkModified();
}

int THxPrinter::NumQualities() {
    CheckNoPrinter();
    CheckCap(hxPcPrintQuality, "THxPrinter.GetNumQualities: PrintQuality is not Supported");
    CheckInfo(THxAvailInfo::hxAvQuality, "THxPrinter.GetNumQualities: No Quality Info Available");
    return FNumResolutions;
}

std::vector<pf::ResolutionInfo> THxPrinter::Resolutions() {
    CheckNoPrinter();
    UpdateLists();
    return pResolutions;
}

// --- device measures ------------------------------------------------------

int THxPrinter::ColorBitCount() {
    CheckNoPrinter();
    return FPrinter.Measures().ColorBits;
}

THxPoint THxPrinter::DPI() {
    CheckNoPrinter();
    const auto m = FPrinter.Measures();
    return {m.DpiX, m.DpiY};
}

QSize THxPrinter::PageExtent() {
    CheckNoPrinter();
    const auto m = FPrinter.Measures();
    return {m.PageWidth, m.PageHeight};
}

QSize THxPrinter::MMPageExtent() {
    CheckNoPrinter();
    const auto m = FPrinter.Measures();
    return {m.PageWidthMM * 10, m.PageHeightMM * 10};
}

QSize THxPrinter::PaperExtent() {
    CheckNoPrinter();
    const auto m = FPrinter.Measures();
    return {m.PaperWidth, m.PaperHeight};
}

QSize THxPrinter::MMPaperExtent() {
    CheckNoPrinter();
    const auto m = FPrinter.Measures();
    const qint64 scale = Scale();
    if (m.DpiX <= 0 || m.DpiY <= 0) {
        return {};
    }
    return {static_cast<int>(qint64{m.PaperWidth} * 254 * scale / m.DpiX / 100),
            static_cast<int>(qint64{m.PaperHeight} * 254 * scale / m.DpiY / 100)};
}

THxPoint THxPrinter::Offset() {
    CheckNoPrinter();
    const auto m = FPrinter.Measures();
    return {m.OffsetX, m.OffsetY};
}

// --- system changes -------------------------------------------------------

void THxPrinter::CheckSystemChange() {
    auto fresh = std::make_unique<THxAllPrintersInfo>(*FBackend);
    if (!fresh->Compare(*AllInfo)) {
        FPrinter.Reset();
        AllInfo = std::move(fresh);
        FIndex = -1;
        pSettings.reset();
        FModified = false;
        // A new printer usually brings a new port: one notice covers both.
        FPortNames = ReadPortNames();
        if (OnSystemChanged) {
            OnSystemChanged();
        }
        return;
    }
    const QStringList ports = ReadPortNames();
    if (ports != FPortNames) {
        FPortNames = ports;
        if (OnSystemChanged) {
            OnSystemChanged();
        }
    }
}

void THxPrinter::StartWatching(int intervalMs) {
    if (!FWatcher) {
        FWatcher = std::make_unique<THxSystemWatcher>(*this);
    }
    FWatcher->Start(intervalMs);
}

void THxPrinter::StopWatching() {
    FWatcher.reset();
}

// --- the shared instance --------------------------------------------------

namespace {
// Often enough that a printer added in the settings shows up while the user
// is still looking; rare enough to cost nothing.
constexpr int kSystemPollMs = 5000;

std::unique_ptr<THxPrinter>& SharedSlot() {
    static std::unique_ptr<THxPrinter> slot;
    return slot;
}
} // namespace

THxPrinter& HxSharedPrinter() {
    auto& slot = SharedSlot();
    if (!slot) {
        slot = std::make_unique<THxPrinter>(std::make_unique<pf::CupsPrinterBackend>());
        if (QCoreApplication::instance() != nullptr) {
            slot->StartWatching(kSystemPollMs);
            // The model outlives the application object; its timer must not.
            qAddPostRoutine([] {
                if (SharedSlot()) {
                    SharedSlot()->StopWatching();
                }
            });
        }
    }
    return *slot;
}

std::unique_ptr<THxPrinter> HxReplaceSharedPrinter(std::unique_ptr<THxPrinter> printer) {
    auto old = std::move(SharedSlot());
    SharedSlot() = std::move(printer);
    return old;
}

} // namespace quillo::printing
