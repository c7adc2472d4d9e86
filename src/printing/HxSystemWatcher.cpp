// The timer that polls the system's printers for changes.

#include "printing/HxSystemWatcher.h"

#include "platform/printer/PrinterBackend.h"
#include "printing/HxPrinter.h"

namespace quillo::printing {

THxSystemWatcher::THxSystemWatcher(THxPrinter& printer) : FPrinter(printer) {
    connect(&FTimer, &QTimer::timeout, this, &THxSystemWatcher::Tick);
}

void THxSystemWatcher::Start(int intervalMs) {
    FTimer.start(intervalMs);
}

void THxSystemWatcher::Tick() {
    // A notice handler that opens a dialog runs a nested loop; do not re-enter.
    if (FInTick || FPrinter.Printing()) {
        return;
    }
    FInTick = true;
    try {
        FPrinter.CheckSystemChange();
    } catch (const platform::PrinterBackendError&) {
        // The service is briefly unreachable (restarting); the next tick looks again.
    }
    FInTick = false;
}

} // namespace quillo::printing
