#pragma once

// Character codes of documents: detection, conversion, and the byte-level halves
// of reading a file (LoadTextFile) and writing a document (EncodeDocument).
// Codes are Windows code-page numbers.  No widgets; the window reads and writes
// the files and shows the messages.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <stdexcept>
#include <string>

namespace quillo::codepage {

inline constexpr int kDetectCode = -1;
inline constexpr int kUnknownCode = 0; // detection gave no answer: read and written as 932
inline constexpr int kShiftJis = 932;
inline constexpr int kEucJp = 51932;
inline constexpr int kUtf8 = 65001;
inline constexpr int kUtf16Le = 1200;
inline constexpr int kUtf16Be = 1201;
inline constexpr int kUtf32Le = 12000;
inline constexpr int kUtf32Be = 12001;
inline constexpr int kWestern = 1252;
inline constexpr int kUsAscii = 20127;

// A conversion that cannot run at all (no converter for the code); the message
// is for the user, in Japanese.
class ECodePageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Best guess of the code of a file's bytes; 0 when it cannot tell.  Plain ASCII
// and an empty file are 932.
int DetectCodePage(QByteArrayView bytes);

struct ConvertResult {
    QByteArray bytes;
    bool success = false; // the conversion ran and produced at least one byte
};

// Converts between any two codes.  A byte the source code cannot read becomes the
// lone surrogate U+DC00 + byte, which the UTF-16 codes keep and the others write
// back as that byte.  success is false, with no bytes, when a code has no converter.
ConvertResult ConvertCodePage(int from, int to, QByteArrayView bytes);

struct LoadedText {
    QString text;           // every line break CR LF; U+0000 kept
    int codePage = 0;       // the code the document takes
    qsizetype badBytes = 0; // bytes the code could not read (now U+DC00 + byte)
};

// A file that cannot be opened or read; the message is for the user, in Japanese.
class ETextFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decodes a whole file read in the requested code (-1 detects).  A byte-order
// mark wins over the requested and the detected code.  Throws ECodePageError when
// the code has no converter; the caller's document is then left as it was.
LoadedText LoadTextFile(QByteArrayView bytes, int requestedCode);

// The same for the file at `path`, read and decoded in chunks on two threads,
// so that only the text and a few chunks are ever in memory.  Throws
// ETextFileError when the file cannot be opened or read, ECodePageError as
// LoadTextFile does.
LoadedText ReadTextFile(const QString& path, int requestedCode);

// True when EncodeDocument can write the code: 0, 932, 51932, 65001, 1200, 1201.
bool HasDocumentWriter(int code);

// The writable code a save-as dialog should offer for a document in `code`.
int SuggestedWriterCode(int code);

struct EncodedDocument {
    QByteArray bytes;
    qsizetype substituted = 0; // characters the code cannot hold, written as its default character
};

// The exact bytes of a document saved in `code` (0 is written as 932): UTF-8
// and UTF-16 get their byte-order mark, the others none.  Throws ECodePageError
// for a code without a writer (see HasDocumentWriter).
EncodedDocument EncodeDocument(QStringView text, int code);

} // namespace quillo::codepage
