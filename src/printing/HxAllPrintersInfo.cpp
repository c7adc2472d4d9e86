// The list of the system's printers, read from the back end.

#include "printing/HxAllPrintersInfo.h"

namespace quillo::printing {

THxAllPrintersInfo::THxAllPrintersInfo(platform::PrinterBackend& backend)
    : pPrintersInfo(backend.Printers()) {}

bool THxAllPrintersInfo::IsHidden(int i) const {
    return (pPrintersInfo.at(i).Attributes & platform::PRINTER_ATTRIBUTE_HIDDEN) != 0;
}

int THxAllPrintersInfo::VisibleCount() const {
    int n = 0;
    for (int i = 0; i < Count(); ++i) {
        n += IsHidden(i) ? 0 : 1;
    }
    return n;
}

bool THxAllPrintersInfo::Compare(const THxAllPrintersInfo& another) const {
    return pPrintersInfo == another.pPrintersInfo;
}

} // namespace quillo::printing
