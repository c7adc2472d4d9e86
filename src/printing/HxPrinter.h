#pragma once

// The printer model: which printers exist, which one is selected, what it can
// do and its job settings, edited on a private copy until applied.  Every
// property checks first that a printer exists, then that the printer has the
// capability, then brings the driver's lists up to date where it reads them.

#include "platform/printer/PrinterBackend.h"
#include "printing/HxAllPrintersInfo.h"
#include "printing/HxPrinterTypes.h"
#include "printing/PrinterDevice.h"

#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QPrinter;

namespace quillo::printing {

class THxSystemWatcher;

class THxPrinter {
public:
    explicit THxPrinter(std::unique_ptr<platform::PrinterBackend> backend);
    ~THxPrinter();
    THxPrinter(const THxPrinter&) = delete;
    THxPrinter& operator=(const THxPrinter&) = delete;

    // The program's printer object the dialogs and the print run work on.
    TPrinterDevice& Printer() { return FPrinter; }
    platform::PrinterBackend& Backend() { return *FBackend; }

    void BeginDoc(const QString& title);
    void Newpage();
    void EndDoc();
    void Abort();

    bool HasPaperSizeNumber(int sizeNumber);
    bool HasBinNumber(int binNumber);

    void ForceUpdate();
    void ApplySettings();
    void DiscardModification();

    QPainter* Canvas();
    QPrinter* Handle();
    bool Printing();
    // A paint device for measuring text as the canvas will draw it.
    QPaintDevice* MeasureDevice();

    bool Modified();
    int Index();
    void SetIndex(int value);
    QStringList PrinterNames();
    QStringList PortNames();
    QString Port();
    void SetPort(const QString& value);
    THxPrintCaps PrintCaps();
    THxAvailInfos AvailInfos();

    THxPaperOrientation Orientation();
    void SetOrientation(THxPaperOrientation value);
    int PaperSizeNumber();
    void SetPaperSizeNumber(int value);
    int PaperSizeIndex();
    void SetPaperSizeIndex(int value);
    QStringList PaperSizeNames();
    int NumPaperSizes();
    // Width and length in tenths of a millimetre.
    QSize UserPaperExtent();
    void SetUserPaperExtent(QSize value);
    int BinNumber();
    void SetBinNumber(int value);
    int BinIndex();
    void SetBinIndex(int value);
    QStringList BinNames();
    int NumBins();
    int Copies();
    void SetCopies(int value);
    int MaxCopies();
    bool Collate();
    void SetCollate(bool value);
    bool Color();
    void SetColor(bool value);
    THxDuplex Duplex();
    void SetDuplex(THxDuplex value);
    int Scale();
    void SetScale(int value);
    THxPoint Quality();
    void SetQuality(THxPoint value);
    int NumQualities();
    // The driver's resolutions, as loaded with the lists.
    std::vector<platform::ResolutionInfo> Resolutions();

    int ColorBitCount();
    THxPoint DPI();
    QSize PageExtent();
    QSize MMPageExtent();
    QSize PaperExtent();
    QSize MMPaperExtent();
    THxPoint Offset();

    std::function<void()> OnSystemChanged;

    // Looks at the system's printers and ports again and raises
    // OnSystemChanged when they changed since the last look.
    void CheckSystemChange();
    // Polls the system for changes while an event loop runs.
    void StartWatching(int intervalMs);
    void StopWatching();

private:
    void CheckNoPrinter();
    void CheckCap(THxPrintCap cap, const char* message);
    void CheckInfo(THxAvailInfo info, const char* message);
    platform::DevMode& Settings();
    void LoadSettings();
    void UpdateLists();
    void MarkModified() { FModified = true; }
    QStringList ReadPortNames();

    std::unique_ptr<platform::PrinterBackend> FBackend;
    TPrinterDevice FPrinter;
    std::unique_ptr<THxAllPrintersInfo> AllInfo;
    std::vector<std::int16_t> pPaperNumbers;
    QStringList FPaperNames;
    std::vector<std::int16_t> pBinNumbers;
    QStringList FBinNames;
    std::vector<platform::ResolutionInfo> pResolutions;
    int FNumResolutions = 0;
    QStringList FPrinterNames;
    QStringList FPortNames;
    int FMaxCopies = 0;
    int FIndex = -1;
    THxAvailInfos FAvailInfos;
    bool FModified = false;
    std::optional<platform::DevMode> pSettings;
    QString PortName;
    std::unique_ptr<THxSystemWatcher> FWatcher;
};

// The one printer model of the program, made on first use over CUPS; it
// polls for printer changes while the application runs.
THxPrinter& HxSharedPrinter();
// Replaces the shared model (tests, or another back end); returns the old one.
// Passing nullptr before the application object is destroyed frees the model
// while its timer can still be stopped.
std::unique_ptr<THxPrinter> HxReplaceSharedPrinter(std::unique_ptr<THxPrinter> printer);

} // namespace quillo::printing
