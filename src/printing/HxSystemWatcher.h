#pragma once

#include <QObject>
#include <QTimer>

namespace quillo::printing {

class THxPrinter;

// Looks at the system's printers at a fixed interval; the printing service
// has no change notice that reaches a plain client, so it is polled.
class THxSystemWatcher : public QObject {
    Q_OBJECT
public:
    explicit THxSystemWatcher(THxPrinter& printer);
    void Start(int intervalMs);

private:
    void Tick();

    THxPrinter& FPrinter;
    QTimer FTimer;
    bool FInTick = false;
};

} // namespace quillo::printing
