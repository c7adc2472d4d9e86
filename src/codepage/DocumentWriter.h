#pragma once

// Writing a document's bytes without holding them: the text is encoded in
// chunks on two threads and handed over in order as each chunk is done, so
// that only a few chunks of bytes are ever in memory.

#include <QByteArrayView>
#include <QStringView>

#include <cstddef>
#include <functional>

namespace quillo::codepage {

inline constexpr std::size_t kEncodeChunkUnits = 2 * 1024 * 1024; // 4 MB of text

// Takes the next bytes of the document; false stops the writing.
using ByteSink = std::function<bool(QByteArrayView)>;

// The bytes are exactly EncodeDocument's for the same text and code, and so
// is the count of substituted characters.
class DocumentWriter {
public:
    // Throws ECodePageError for a code without a writer (see HasDocumentWriter).
    DocumentWriter(QStringView text, int code, std::size_t chunkUnits = kEncodeChunkUnits);

    // Hands every byte to `sink`, the byte-order mark first, on the calling
    // thread.  False when the sink refused bytes; nothing is handed over after
    // that.  The text must not change meanwhile.
    bool write(const ByteSink& sink);

    // Characters the code cannot hold, written as its default character.
    qsizetype substituted() const { return substituted_; }

private:
    QStringView text_;
    int code_;
    QByteArrayView mark_;
    std::size_t chunkUnits_;
    qsizetype substituted_ = 0;
};

} // namespace quillo::codepage
