#pragma once

// Writing a file so that it stays what it was.  A regular file is replaced by
// a complete new one that takes its place by rename, with the old file's
// owner, group, mode (special bits included), extended attributes and ACLs;
// the old file stays whole until the new one is complete.  When the rename
// would change what the file is (more than one hard link, an owner or an
// attribute the new file could not be given, a folder we may not write), the
// file is written in place instead, after its old content is safe in a
// synced copy.  A character device or a FIFO is written into; a folder, a
// socket or a block device is refused.  A read-only file is written only when
// the caller says the user agreed.
//
// The bytes come from a producer, so that a streaming writer feeds the file
// without the whole content ever being in memory.

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <stdexcept>

namespace quillo::platform {

// Takes the next bytes; false stops the writing.
using TByteSink = std::function<bool(QByteArrayView)>;
// Hands every byte of the new content to the sink, in order; false when the
// sink refused some.
using TByteProducer = std::function<bool(const TByteSink&)>;

enum class TWriteWay {
    Created,    // there was no file: a new one
    Replaced,   // a new file took the old one's place by rename
    InPlace,    // the file itself was rewritten, its old content kept meanwhile
    IntoDevice, // a character device or a FIFO was written into
};

struct TWriteOptions {
    // Where the old content of a file written in place is kept meanwhile
    // (created when missing); the copy goes once the new content is synced.
    QString SafetyFolder;
    // The user agreed to write over a read-only file.
    bool WriteReadOnly = false;
};

// What a write to a path would meet, for the questions before it.
struct TWriteTarget {
    bool Exists = false;
    // A file, device or FIFO with no write permission bit, or not writable for us.
    bool ReadOnly = false;
};
TWriteTarget InspectWriteTarget(const QString& path);

class EWriteError : public std::runtime_error {
public:
    enum class TStage {
        Refused, // nothing was tried: what is there may not be written
        Create,  // the new file could not be made
        Write,   // writing failed part way
    };
    EWriteError(TStage stage, int error, const QString& reason)
        : std::runtime_error(reason.toStdString()), FStage(stage), FError(error), FReason(reason) {}

    TStage Stage() const { return FStage; }
    int Error() const { return FError; } // the errno, 0 when none
    // For the user: why, and what became of the file ("ファイルは変更されていません。",
    // or where its old content is kept when it could not be put back).
    const QString& Reason() const { return FReason; }

private:
    TStage FStage;
    int FError;
    QString FReason;
};

// Throws EWriteError; whatever the producer throws is passed on after the
// file has been put back.
TWriteWay WriteFileSafely(const QString& path, const TByteProducer& produce,
                          const TWriteOptions& options);

} // namespace quillo::platform
