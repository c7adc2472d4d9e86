#pragma once

// Reading a text file without holding its bytes: the first block decides the
// code (as LoadTextFile would on the whole file), then the file is read in
// chunks, each decoded on two threads straight into the one output string.

#include "codepage/codepage.h"

#include <QIODevice>
#include <QString>

#include <cstddef>

namespace quillo::codepage {

inline constexpr std::size_t kReadChunkBytes = 8 * 1024 * 1024;

// ReadTextFile with a chosen chunk size (tests use tiny ones).
LoadedText ReadTextFile(const QString& path, int requestedCode, std::size_t chunkBytes);

// Reads an open device from its current position to its end; `path` names it
// in error messages.
LoadedText ReadTextDevice(QIODevice& device, const QString& path, int requestedCode,
                          std::size_t chunkBytes = kReadChunkBytes);

} // namespace quillo::codepage
