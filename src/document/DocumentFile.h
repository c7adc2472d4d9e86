#pragma once

// Reading a file into a document and writing a document's text to a file: the
// file-system halves of the character-code library.

#include <QString>
#include <QStringView>

#include <stdexcept>

namespace quillo::document {

class TDocument;
struct TSelection;

// A file that cannot be read or written; the message is for the user.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TLoadResult {
    int CodePage = 0;
    qsizetype BadBytes = 0; // bytes the code could not read, kept as U+DC00 + byte
};

// Reads the whole file in the requested code (-1 detects) and makes it the
// document's text, as a freshly loaded one.  Throws EFileError or the codepage
// error; the document is untouched then.  The file name and code are the
// caller's to take.
TLoadResult LoadTextFile(TDocument& document, const QString& path, int requestedCode);

// The same, for reading the document's own file again: the text replaces the
// document's as one undoable change (undone with `selection` restored), and
// nothing happens when it is the same.
TLoadResult ReloadTextFile(TDocument& document, const QString& path, int requestedCode,
                           TSelection selection);

// Writes a text in `code`, keeping the file what it was (see
// platform::WriteFileSafely): a regular file is replaced whole once the new
// one is complete, or written in place with its old content kept meanwhile.
// A read-only file is written only with `writeReadOnly`.  Throws EFileError,
// or the codepage error for a code without a writer (before any file is made).
void WriteTextFile(QStringView text, const QString& path, int code, bool writeReadOnly = false);

// Writes the document's text in `code` (see WriteTextFile).
void EncodeDocument(const TDocument& document, const QString& path, int code,
                    bool writeReadOnly = false);

} // namespace quillo::document
