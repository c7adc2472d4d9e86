// The printer model's capabilities as the device-mode fields the back end knows.

#include "printing/HxPrinterTypes.h"

#include "platform/printer/DevMode.h"

namespace quillo::printing {

namespace pf = quillo::platform;

std::uint32_t HxPrintCapFlag(THxPrintCap cap) {
    switch (cap) {
    case THxPrintCap::hxPcOrientation:
        return pf::DM_ORIENTATION;
    case THxPrintCap::hxPcPaperSize:
        return pf::DM_PAPERSIZE;
    case THxPrintCap::hxPcPaperlength:
        return pf::DM_PAPERLENGTH;
    case THxPrintCap::hxPcPaperWidth:
        return pf::DM_PAPERWIDTH;
    case THxPrintCap::hxPcScale:
        return pf::DM_SCALE;
    case THxPrintCap::hxPcCopies:
        return pf::DM_COPIES;
    case THxPrintCap::hxPcDefaultSource:
        return pf::DM_DEFAULTSOURCE;
    case THxPrintCap::hxPcPrintQuality:
        return pf::DM_PRINTQUALITY;
    case THxPrintCap::hxPcColor:
        return pf::DM_COLOR;
    case THxPrintCap::hxPcDuplex:
        return pf::DM_DUPLEX;
    case THxPrintCap::hxPcYResolution:
        return pf::DM_YRESOLUTION;
    case THxPrintCap::hxPcTTOption:
        return pf::DM_TTOPTION;
    case THxPrintCap::hxPcCollate:
        return pf::DM_COLLATE;
    case THxPrintCap::hxPcFormName:
        return pf::DM_FORMNAME;
    case THxPrintCap::hxPcLogPixels:
        return pf::DM_LOGPIXELS;
    case THxPrintCap::hxPcMediaType:
        return pf::DM_MEDIATYPE;
    case THxPrintCap::hxPcDitherType:
        return pf::DM_DITHERTYPE;
    }
    return 0;
}

THxPrintCaps HxPrintCapsFromFields(std::uint32_t fields) {
    THxPrintCaps caps;
    for (int i = 0; i <= static_cast<int>(THxPrintCap::hxPcDitherType); ++i) {
        const auto cap = static_cast<THxPrintCap>(i);
        if ((fields & HxPrintCapFlag(cap)) != 0) {
            caps.Include(cap);
        }
    }
    return caps;
}

} // namespace quillo::printing
