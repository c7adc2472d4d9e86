#include "platform/printer/CupsPrinterBackend.h"

#include "platform/printer/CupsMediaNumbers.h"

#include <cups/cups.h>

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace quillo::platform {

namespace {

// Used when the printer names no resolution: the canvas is a PDF, so this
// only sets the grain of the layout.
constexpr int kFallbackDpi = 600;

QString Utf8(const char* s) {
    return s != nullptr ? QString::fromUtf8(s) : QString();
}

int HundredthsMmToPixels(int hundredths, int dpi) {
    return static_cast<int>(std::lround(hundredths / 2540.0 * dpi));
}

} // namespace

struct CupsPrinterBackend::Queue {
    QString Name;
    QString DeviceUri;
    bool AcceptingJobs = true;
};

// A printer's destination record and the driver information of the server.
struct CupsPrinterBackend::Destination {
    cups_dest_t* Dest = nullptr;
    cups_dinfo_t* Info = nullptr;

    ~Destination() {
        if (Info != nullptr) {
            cupsFreeDestInfo(Info);
        }
        if (Dest != nullptr) {
            cupsFreeDests(1, Dest);
        }
    }

    ipp_attribute_t* Supported(const char* option) const {
        return cupsFindDestSupported(CUPS_HTTP_DEFAULT, Dest, Info, option);
    }
    ipp_attribute_t* Default(const char* option) const {
        return cupsFindDestDefault(CUPS_HTTP_DEFAULT, Dest, Info, option);
    }
    bool SupportsValue(const char* option, const char* value) const {
        return cupsCheckDestSupported(CUPS_HTTP_DEFAULT, Dest, Info, option, value) != 0;
    }
    QStringList Strings(const char* option) const {
        QStringList out;
        if (ipp_attribute_t* a = Supported(option)) {
            for (int i = 0; i < ippGetCount(a); ++i) {
                out.append(Utf8(ippGetString(a, i, nullptr)));
            }
        }
        return out;
    }
    std::vector<cups_size_t> Media() const {
        std::vector<cups_size_t> out;
        const int n =
            cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, Dest, Info, CUPS_MEDIA_FLAGS_DEFAULT);
        for (int i = 0; i < n; ++i) {
            cups_size_t size{};
            if (cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, Dest, Info, i, CUPS_MEDIA_FLAGS_DEFAULT,
                                        &size) != 0) {
                out.push_back(size);
            }
        }
        return out;
    }
    std::optional<cups_size_t> DefaultMedia() const {
        cups_size_t size{};
        if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, Dest, Info, CUPS_MEDIA_FLAGS_DEFAULT,
                                    &size) != 0) {
            return size;
        }
        return std::nullopt;
    }
};

CupsPrinterBackend::CupsPrinterBackend() = default;
CupsPrinterBackend::~CupsPrinterBackend() = default;

std::vector<CupsPrinterBackend::Queue> CupsPrinterBackend::ListQueues() {
    std::vector<Queue> queues;
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char* const kAttrs[] = {"printer-name", "printer-is-accepting-jobs", "device-uri"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  std::size(kAttrs), nullptr, kAttrs);
    // No scheduler, or one with no queues, means no printers.
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (response == nullptr) {
        return queues;
    }
    Queue current;
    bool inPrinter = false;
    auto flush = [&] {
        if (inPrinter && !current.Name.isEmpty()) {
            queues.push_back(current);
        }
        current = Queue{};
        inPrinter = false;
    };
    for (ipp_attribute_t* a = ippFirstAttribute(response); a != nullptr;
         a = ippNextAttribute(response)) {
        const char* name = ippGetName(a);
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER || name == nullptr) {
            flush();
            continue;
        }
        inPrinter = true;
        const QByteArray n(name);
        if (n == "printer-name") {
            current.Name = Utf8(ippGetString(a, 0, nullptr));
        } else if (n == "device-uri") {
            current.DeviceUri = Utf8(ippGetString(a, 0, nullptr));
        } else if (n == "printer-is-accepting-jobs") {
            current.AcceptingJobs = ippGetBoolean(a, 0) != 0;
        }
    }
    flush();
    ippDelete(response);
    return queues;
}

std::vector<PrinterRecord> CupsPrinterBackend::Printers() {
    FDestinations.clear();
    std::vector<PrinterRecord> out;
    for (const Queue& q : ListQueues()) {
        out.push_back({q.Name, q.AcceptingJobs ? 0u : PRINTER_ATTRIBUTE_HIDDEN});
    }
    return out;
}

QStringList CupsPrinterBackend::Ports() {
    QStringList out;
    for (const Queue& q : ListQueues()) {
        out.append(q.DeviceUri);
    }
    return out;
}

QString CupsPrinterBackend::DefaultPrinter() {
    return Utf8(cupsGetDefault2(CUPS_HTTP_DEFAULT));
}

QString CupsPrinterBackend::PrinterPort(const QString& printer) {
    for (const Queue& q : ListQueues()) {
        if (q.Name == printer) {
            return q.DeviceUri;
        }
    }
    return {};
}

CupsPrinterBackend::Destination* CupsPrinterBackend::Find(const QString& printer) {
    auto it = FDestinations.find(printer);
    if (it != FDestinations.end()) {
        return it->get();
    }
    auto d = std::make_shared<Destination>();
    d->Dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
    if (d->Dest == nullptr) {
        return nullptr;
    }
    d->Info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, d->Dest);
    if (d->Info == nullptr) {
        return nullptr;
    }
    FDestinations.insert(printer, d);
    return d.get();
}

std::vector<PaperSizeInfo> CupsPrinterBackend::PaperSizes(const QString& printer, const QString&) {
    std::vector<PaperSizeInfo> out;
    Destination* d = Find(printer);
    if (d == nullptr) {
        return out;
    }
    for (cups_size_t& size : d->Media()) {
        const char* label = cupsLocalizeDestMedia(CUPS_HTTP_DEFAULT, d->Dest, d->Info,
                                                  CUPS_MEDIA_FLAGS_DEFAULT, &size);
        const QString name = Utf8(size.media);
        out.push_back({CupsPaperNumber(name), label != nullptr ? Utf8(label) : name,
                       size.width / 10, size.length / 10});
    }
    return out;
}

std::vector<BinInfo> CupsPrinterBackend::Bins(const QString& printer, const QString&) {
    std::vector<BinInfo> out;
    Destination* d = Find(printer);
    if (d == nullptr) {
        return out;
    }
    for (const QString& source : d->Strings("media-source")) {
        const QByteArray key = source.toUtf8();
        const char* label = cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, d->Dest, d->Info,
                                                  "media-source", key.constData());
        out.push_back({CupsBinNumber(source), label != nullptr ? Utf8(label) : source});
    }
    return out;
}

std::vector<ResolutionInfo> CupsPrinterBackend::Resolutions(const QString& printer,
                                                            const QString&) {
    std::vector<ResolutionInfo> out;
    Destination* d = Find(printer);
    if (d == nullptr) {
        return out;
    }
    if (ipp_attribute_t* a = d->Supported("printer-resolution")) {
        for (int i = 0; i < ippGetCount(a); ++i) {
            int y = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            int x = ippGetResolution(a, i, &y, &units);
            if (units == IPP_RES_PER_CM) {
                x = static_cast<int>(std::lround(x * 2.54));
                y = static_cast<int>(std::lround(y * 2.54));
            }
            out.push_back({x, y});
        }
    }
    return out;
}

int CupsPrinterBackend::MaxCopies(const QString& printer, const QString&) {
    Destination* d = Find(printer);
    if (d == nullptr) {
        return 0;
    }
    if (ipp_attribute_t* a = d->Supported("copies")) {
        int upper = 0;
        ippGetRange(a, 0, &upper);
        return upper;
    }
    return 0;
}

std::optional<DevMode> CupsPrinterBackend::DefaultDevMode(const QString& printer) {
    Destination* d = Find(printer);
    if (d == nullptr) {
        return std::nullopt;
    }
    DevMode m;
    m.dmFields = DM_ORIENTATION | DM_COPIES | DM_COLLATE;
    if (ipp_attribute_t* a = d->Default("orientation-requested")) {
        m.dmOrientation = ippGetInteger(a, 0) == IPP_ORIENT_LANDSCAPE ? 2 : 1;
    }
    if (const auto media = d->DefaultMedia()) {
        m.dmFields |= DM_PAPERSIZE;
        m.dmPaperSize = CupsPaperNumber(Utf8(media->media));
    } else if (!d->Media().empty()) {
        m.dmFields |= DM_PAPERSIZE;
        m.dmPaperSize = CupsPaperNumber(Utf8(d->Media().front().media));
    }
    const QStringList sources = d->Strings("media-source");
    if (!sources.isEmpty()) {
        m.dmFields |= DM_DEFAULTSOURCE;
        ipp_attribute_t* a = d->Default("media-source");
        m.dmDefaultSource =
            CupsBinNumber(a != nullptr ? Utf8(ippGetString(a, 0, nullptr)) : sources.front());
    }
    if (!Resolutions(printer, {}).empty()) {
        m.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
        if (ipp_attribute_t* a = d->Default("printer-resolution")) {
            int y = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            m.dmPrintQuality = static_cast<std::int16_t>(ippGetResolution(a, 0, &y, &units));
            m.dmYResolution = static_cast<std::int16_t>(y);
        }
    }
    if (d->SupportsValue("print-color-mode", "color")) {
        m.dmFields |= DM_COLOR;
        ipp_attribute_t* a = d->Default("print-color-mode");
        const QByteArray mode = a != nullptr ? QByteArray(ippGetString(a, 0, nullptr)) : "color";
        m.dmColor = mode == "monochrome" ? 1 : 2;
    }
    if (d->SupportsValue("sides", "two-sided-long-edge")) {
        m.dmFields |= DM_DUPLEX;
        ipp_attribute_t* a = d->Default("sides");
        const QByteArray sides = a != nullptr ? QByteArray(ippGetString(a, 0, nullptr)) : "";
        m.dmDuplex = sides == "two-sided-long-edge" ? 2 : sides == "two-sided-short-edge" ? 3 : 1;
    }
    return m;
}

bool CupsPrinterBackend::ValidateDevMode(const QString& printer, DevMode& settings) {
    Destination* d = Find(printer);
    if (d == nullptr) {
        return false;
    }
    const int maxCopies = MaxCopies(printer, {});
    settings.dmCopies = static_cast<std::int16_t>(
        std::clamp<int>(settings.dmCopies, 1, maxCopies > 0 ? maxCopies : 32767));
    if (settings.dmCollate != 0) {
        settings.dmCollate = 1;
    }
    if (settings.dmOrientation != 2) {
        settings.dmOrientation = 1;
    }
    return true;
}

DeviceMeasures CupsPrinterBackend::Measures(const QString& printer, const DevMode& settings) {
    DeviceMeasures m;
    Destination* d = Find(printer);
    int dpi = kFallbackDpi;
    if ((settings.dmFields & DM_PRINTQUALITY) != 0 && settings.dmPrintQuality > 0) {
        dpi = settings.dmPrintQuality;
    }
    // Sheet and margins in hundredths of a millimetre; A4 without margins
    // when the printer says nothing.
    int width = 21000, length = 29700, left = 0, top = 0, right = 0, bottom = 0;
    std::optional<cups_size_t> media;
    if (d != nullptr) {
        const QString wanted = CupsPaperName(settings.dmPaperSize);
        for (const cups_size_t& s : d->Media()) {
            if (Utf8(s.media) == wanted) {
                media = s;
                break;
            }
        }
        if (!media) {
            media = d->DefaultMedia();
        }
    }
    if (media) {
        width = media->width;
        length = media->length;
        left = media->left;
        top = media->top;
        right = media->right;
        bottom = media->bottom;
    }
    if ((settings.dmFields & DM_PAPERSIZE) != 0 && settings.dmPaperSize == DMPAPER_USER &&
        settings.dmPaperWidth > 0 && settings.dmPaperLength > 0) {
        width = settings.dmPaperWidth * 10;
        length = settings.dmPaperLength * 10;
    }
    if (settings.dmOrientation == 2) {
        std::swap(width, length);
        std::swap(left, top);
        std::swap(right, bottom);
    }
    m.DpiX = m.DpiY = dpi;
    m.PaperWidth = HundredthsMmToPixels(width, dpi);
    m.PaperHeight = HundredthsMmToPixels(length, dpi);
    m.OffsetX = HundredthsMmToPixels(left, dpi);
    m.OffsetY = HundredthsMmToPixels(top, dpi);
    m.PageWidth = m.PaperWidth - m.OffsetX - HundredthsMmToPixels(right, dpi);
    m.PageHeight = m.PaperHeight - m.OffsetY - HundredthsMmToPixels(bottom, dpi);
    m.PageWidthMM = (width - left - right) / 100;
    m.PageHeightMM = (length - top - bottom) / 100;
    m.ColorBits = (settings.dmFields & DM_COLOR) != 0 ? 24 : 1;
    return m;
}

int CupsPrinterBackend::SubmitJob(const PrintJobRequest& job) {
    const DevMode& s = job.Settings;
    int n = 0;
    cups_option_t* options = nullptr;
    auto add = [&](const char* name, const QByteArray& value) {
        n = cupsAddOption(name, value.constData(), n, &options);
    };
    add("copies", QByteArray::number(std::max<int>(1, s.dmCopies)));
    if ((s.dmFields & DM_COLLATE) != 0 && s.dmCopies > 1) {
        add("multiple-document-handling", s.dmCollate == 1
                                              ? "separate-documents-collated-copies"
                                              : "separate-documents-uncollated-copies");
    }
    if ((s.dmFields & DM_PAPERSIZE) != 0) {
        if (s.dmPaperSize == DMPAPER_USER && s.dmPaperWidth > 0 && s.dmPaperLength > 0) {
            add("media", QStringLiteral("Custom.%1x%2mm")
                             .arg(s.dmPaperWidth / 10.0)
                             .arg(s.dmPaperLength / 10.0)
                             .toUtf8());
        } else if (const QString media = CupsPaperName(s.dmPaperSize); !media.isEmpty()) {
            add("media", media.toUtf8());
        }
    }
    if ((s.dmFields & DM_DEFAULTSOURCE) != 0) {
        if (const QString source = CupsBinKeyword(s.dmDefaultSource); !source.isEmpty()) {
            add("media-source", source.toUtf8());
        }
    }
    if ((s.dmFields & DM_DUPLEX) != 0) {
        add("sides", s.dmDuplex == 1   ? "one-sided"
                     : s.dmDuplex == 3 ? "two-sided-short-edge"
                                       : "two-sided-long-edge");
    }
    if ((s.dmFields & DM_COLOR) != 0) {
        add("print-color-mode", s.dmColor == 2 ? "color" : "monochrome");
    }
    if ((s.dmFields & DM_PRINTQUALITY) != 0) {
        if (s.dmPrintQuality > 0) {
            const int y = (s.dmFields & DM_YRESOLUTION) != 0 && s.dmYResolution > 0
                              ? s.dmYResolution
                              : s.dmPrintQuality;
            add("printer-resolution",
                QByteArray::number(s.dmPrintQuality) + 'x' + QByteArray::number(y) + "dpi");
        } else if (s.dmPrintQuality < 0) {
            // Draft and low print as draft, medium as normal, high as high.
            const int q = s.dmPrintQuality >= DMRES_LOW      ? 3
                          : s.dmPrintQuality == DMRES_MEDIUM ? 4
                                                             : 5;
            add("print-quality", QByteArray::number(q));
        }
    }
    // The page is laid out already in the chosen orientation; the printer
    // only has to fit it to the sheet.
    const int jobId = cupsPrintFile2(CUPS_HTTP_DEFAULT, job.Printer.toUtf8().constData(),
                                     job.PdfPath.toLocal8Bit().constData(),
                                     job.Title.toUtf8().constData(), n, options);
    cupsFreeOptions(n, options);
    if (jobId == 0) {
        throw PrinterBackendError("Cannot print to " + job.Printer.toStdString() + ": " +
                                  cupsLastErrorString());
    }
    return jobId;
}

} // namespace quillo::platform
