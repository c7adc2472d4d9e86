#pragma once

#include "platform/printer/PrinterBackend.h"

#include <vector>

namespace quillo::printing {

// The printer list as the system reports it, hidden printers included.
class THxAllPrintersInfo {
public:
    explicit THxAllPrintersInfo(platform::PrinterBackend& backend);

    int Count() const { return static_cast<int>(pPrintersInfo.size()); }
    const platform::PrinterRecord& operator[](int i) const { return pPrintersInfo.at(i); }
    bool IsHidden(int i) const;
    int VisibleCount() const;

    // Same count and, position by position, the same names and attributes.
    bool Compare(const THxAllPrintersInfo& another) const;

private:
    std::vector<platform::PrinterRecord> pPrintersInfo;
};

} // namespace quillo::printing
