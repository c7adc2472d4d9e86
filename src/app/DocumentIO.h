#pragma once

// Reading a file into the edit view and writing the view's text to a file:
// the file-system halves of the character-code module.

#include <QString>

#include <stdexcept>

namespace quillo::editing {
class TLfMemo;
}

namespace quillo::app {

// A file that cannot be read or written; the message is for the user.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TLoadResult {
    int CodePage = 0;
    qsizetype BadBytes = 0; // bytes the code could not read, kept as U+DC00 + byte
};

// Reads the whole file in the requested code (-1 detects) and replaces the
// view's text with it.  Throws EFileError or the codepage error; the view is
// untouched then.
TLoadResult LoadTextFile(editing::TLfMemo& memo, const QString& path, int requestedCode);

// The same, for reading the document's own file again: the text replaces the
// view's as one undoable change, and nothing happens when it is the same.
TLoadResult ReloadTextFile(editing::TLfMemo& memo, const QString& path, int requestedCode);

// Writes the view's text in `code`, atomically: the old file stays whole
// until the new one is complete.  Throws EFileError.
void EncodeDocument(const editing::TLfMemo& memo, const QString& path, int code);

} // namespace quillo::app
