#pragma once

// The printer back end over libcups.  The server is the one libcups finds
// (CUPS_SERVER, the user's client.conf, or the local scheduler).
//
// Hidden printers: a queue that is rejecting jobs counts as hidden, since a
// job sent there would only fail; queues the administrator stops but still
// accept jobs stay visible.  Instances of a queue (saved option sets) are not
// listed.  A printer's port is its device URI.

#include "platform/printer/PrinterBackend.h"

#include <QHash>

#include <memory>

namespace quillo::platform {

class CupsPrinterBackend : public PrinterBackend {
public:
    CupsPrinterBackend();
    ~CupsPrinterBackend() override;

    std::vector<PrinterRecord> Printers() override;
    QStringList Ports() override;
    QString DefaultPrinter() override;
    QString PrinterPort(const QString& printer) override;
    std::optional<DevMode> DefaultDevMode(const QString& printer) override;
    bool ValidateDevMode(const QString& printer, DevMode& settings) override;
    std::vector<PaperSizeInfo> PaperSizes(const QString& printer, const QString& port) override;
    std::vector<BinInfo> Bins(const QString& printer, const QString& port) override;
    std::vector<ResolutionInfo> Resolutions(const QString& printer, const QString& port) override;
    int MaxCopies(const QString& printer, const QString& port) override;
    DeviceMeasures Measures(const QString& printer, const DevMode& settings) override;
    int SubmitJob(const PrintJobRequest& job) override;

private:
    struct Queue;
    struct Destination;
    std::vector<Queue> ListQueues();
    Destination* Find(const QString& printer);

    // Driver information per printer, dropped whenever the list is read again.
    QHash<QString, std::shared_ptr<Destination>> FDestinations;
};

} // namespace quillo::platform
