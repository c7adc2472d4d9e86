// Notices of a document's file changed on disk by another program.
#include "document/DiskWatch.h"

#include "document/Document.h"

namespace quillo::document {

namespace {
// Writers change a file in bursts; one look after the burst is enough.
constexpr int kSettleMs = 200;
} // namespace

TDiskWatch::TDiskWatch(TDocument& document, QObject* parent)
    : QObject(parent), FDocument(document) {
    FDelay.setSingleShot(true);
    FDelay.setInterval(kSettleMs);
    connect(&FDelay, &QTimer::timeout, this, [this] { Check(); });
    connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, [this] {
        // A file replaced by rename drops out of the watch: watch the new one.
        Watch();
        FDelay.start();
    });
}

void TDiskWatch::Settle() {
    FDocument.SetDiskStamp(FDocument.IsUntitled() ? platform::TFileStamp{}
                                                  : platform::StampOf(FDocument.FileName()));
    FTold = FDocument.DiskStamp();
    Watch();
}

bool TDiskWatch::ChangedOnDisk() const {
    return !FDocument.IsUntitled() &&
           platform::StampOf(FDocument.FileName()) != FDocument.DiskStamp();
}

void TDiskWatch::Check() {
    if (FDocument.IsUntitled()) {
        return;
    }
    const platform::TFileStamp now = platform::StampOf(FDocument.FileName());
    if (now == FDocument.DiskStamp() || now == FTold || (FCanTell && !FCanTell())) {
        return;
    }
    FTold = now;
    emit ChangedOutside(!now.Exists);
}

void TDiskWatch::Watch() {
    const QStringList watched = FWatcher.files();
    if (!watched.isEmpty()) {
        FWatcher.removePaths(watched);
    }
    if (!FDocument.IsUntitled() && platform::StampOf(FDocument.FileName()).Exists) {
        FWatcher.addPath(FDocument.FileName());
    }
}

} // namespace quillo::document
