#pragma once

// What reading and writing a document's file may not do: read anything but a
// regular file, read more than the view can hold, or change what the file is
// when it is saved.

#include "codepage/codepage.h"
#include "platform/FileReplacement.h"

#include <QString>

namespace quillo::document {

// The most bytes a file in `code` can have and still fit the view: each
// unit of text takes at most this code's longest sequence for one unit, and
// the mark comes on top.  A larger file is refused from its size alone.
qint64 MaxFileBytes(int code, qsizetype markBytes);

// Reads a regular file in the requested code (-1 detects), refusing early
// what cannot be read or cannot fit: a FIFO, device, socket or folder before
// it is opened, a file too large from its size, a file of unknown size (as in
// /proc) once its bytes pass the bound.  Throws EFileError with a message
// that says why, or the codepage error.
codepage::LoadedText ReadDocumentFile(const QString& path, int requestedCode);

// Writes through platform::WriteFileSafely, with the data folder for the
// safety copies.  Throws EFileError with a message that names the file and
// says why and what became of it.
void WriteDocumentBytes(const QString& path, const platform::TByteProducer& produce,
                        bool writeReadOnly);

// True when a save to `path` would write over a read-only file.
bool IsReadOnlyFile(const QString& path);

} // namespace quillo::document
