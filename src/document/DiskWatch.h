#pragma once

// Keeps an eye on a document's file: tells when another program has written,
// replaced or removed it since the document last read or wrote it.  A save
// of the document's own is settled before its notice arrives, so it raises
// nothing.

#include "platform/FileStamp.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>

namespace quillo::document {

class TDocument;

class TDiskWatch : public QObject {
    Q_OBJECT

public:
    explicit TDiskWatch(TDocument& document, QObject* parent = nullptr);

    // The document has just read or written its file (or become untitled):
    // what is on disk now is what it knows.
    void Settle();
    // True when the file on disk is not what the document last read or wrote
    // (changed, replaced or removed); false for an untitled document.
    bool ChangedOnDisk() const;
    // Looks now; raises ChangedOutside once for each new state of the file.
    // While `canTell` says no (a question is open), the notice waits for a
    // later look.
    void Check();
    void SetCanTell(std::function<bool()> canTell) { FCanTell = std::move(canTell); }

signals:
    void ChangedOutside(bool removed);

private:
    void Watch();

    TDocument& FDocument;
    QFileSystemWatcher FWatcher;
    QTimer FDelay;
    platform::TFileStamp FTold; // the disk state last told about
    std::function<bool()> FCanTell;
};

} // namespace quillo::document
