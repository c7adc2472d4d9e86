#pragma once

// A printer back end that answers from fields the test fills in, and keeps
// every job it is handed.

#include "platform/printer/PrinterBackend.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

namespace quillo::testing {

class ScriptedPrinterBackend : public platform::PrinterBackend {
public:
    std::vector<platform::PrinterRecord> PrinterList;
    QStringList PortList;
    QString Default;
    platform::DevMode Mode;
    std::vector<platform::PaperSizeInfo> Papers;
    std::vector<platform::BinInfo> BinList;
    std::vector<platform::ResolutionInfo> ResolutionList;
    int MaxCopiesValue = 0;
    platform::DeviceMeasures Measure;
    bool RejectSettings = false;
    bool FailSubmit = false;

    std::vector<platform::PrintJobRequest> Jobs; // PdfPath points into JobDir
    std::vector<platform::DevMode> Validated;
    QTemporaryDir JobDir;

    // A portrait sheet of width × height pixels at dpi, with the given
    // unprintable border on every side.
    void SetSheet(int dpi, int width, int height, int border) {
        Measure = {dpi, dpi, width, height, border, border, width - 2 * border, height - 2 * border,
                   0,   0,   24};
    }

    std::vector<platform::PrinterRecord> Printers() override { return PrinterList; }
    QStringList Ports() override { return PortList; }
    QString DefaultPrinter() override { return Default; }
    QString PrinterPort(const QString& printer) override { return "port:" + printer; }
    std::optional<platform::DevMode> DefaultDevMode(const QString&) override { return Mode; }
    bool ValidateDevMode(const QString&, platform::DevMode& settings) override {
        Validated.push_back(settings);
        return !RejectSettings;
    }
    std::vector<platform::PaperSizeInfo> PaperSizes(const QString&, const QString&) override {
        return Papers;
    }
    std::vector<platform::BinInfo> Bins(const QString&, const QString&) override { return BinList; }
    std::vector<platform::ResolutionInfo> Resolutions(const QString&, const QString&) override {
        return ResolutionList;
    }
    int MaxCopies(const QString&, const QString&) override { return MaxCopiesValue; }
    platform::DeviceMeasures Measures(const QString&, const platform::DevMode&) override {
        return Measure;
    }
    int SubmitJob(const platform::PrintJobRequest& job) override {
        if (FailSubmit) {
            throw platform::PrinterBackendError("scripted failure");
        }
        platform::PrintJobRequest kept = job;
        kept.PdfPath = JobDir.filePath(QString("job%1.pdf").arg(Jobs.size() + 1));
        QFile::copy(job.PdfPath, kept.PdfPath);
        Jobs.push_back(kept);
        return static_cast<int>(Jobs.size());
    }
};

} // namespace quillo::testing
