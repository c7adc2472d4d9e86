#include "document/DocumentFile.h"

#include "codepage/DocumentWriter.h"
#include "codepage/codepage.h"
#include "document/Document.h"
#include "document/SafeFiles.h"

#include <utility>

namespace quillo::document {

TLoadResult LoadTextFile(TDocument& document, const QString& path, int requestedCode) {
    codepage::LoadedText loaded = ReadDocumentFile(path, requestedCode);
    // Handed over, not shared, so that the storage takes the string as it is.
    document.Load(std::move(loaded.text));
    return {loaded.codePage, loaded.badBytes};
}

TLoadResult ReloadTextFile(TDocument& document, const QString& path, int requestedCode,
                           TSelection selection) {
    const codepage::LoadedText loaded = ReadDocumentFile(path, requestedCode);
    document.SetText(loaded.text, selection);
    return {loaded.codePage, loaded.badBytes};
}

void WriteTextFile(QStringView text, const QString& path, int code, bool writeReadOnly) {
    // The text is read where it lies; the bytes go to the file a chunk at a
    // time as they are encoded.  A code without a writer is refused here,
    // before any file is made.
    codepage::DocumentWriter writer(text, code);
    WriteDocumentBytes(
        path, [&](const platform::TByteSink& sink) { return writer.write(sink); }, writeReadOnly);
}

void EncodeDocument(const TDocument& document, const QString& path, int code, bool writeReadOnly) {
    WriteTextFile(document.View(), path, code, writeReadOnly);
}

} // namespace quillo::document
