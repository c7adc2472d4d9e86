#pragma once

// The document codes: the five codes a document is read and written in, with
// everything the program says or does differently for each.  Every list of
// codes the program shows, and every choice of decoder, encoder and mark, is
// read from this one table.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <span>

namespace quillo::codepage {

// How the text of a document code is turned into bytes and back.
enum class CodeForm { ShiftJis, EucJp, Utf8, Utf16Le, Utf16Be };

struct DocumentCode {
    int code;             // the code-page number
    CodeForm form;        // decoder and encoder
    const char* name;     // short name, as shown to the user ("Shift-JIS")
    QByteArrayView mark;  // the byte-order mark the code can carry; empty for none
    const char* filter;   // the entry of the open and save-as lists (UTF-8)
    const char* listName; // the entry of the re-read list (UTF-8)
};

// The five codes, in the order of every list that shows them.
std::span<const DocumentCode> DocumentCodes();

// The entry of a code; 0 (detection gave no answer) is Shift-JIS's.  nullptr
// for a code that is no document code.
const DocumentCode* FindDocumentCode(int code);

// The entry of a code a document can be written in; throws ECodePageError
// (with a message for the user) for any other code.
const DocumentCode& WriterCodeOf(int code);

// The open dialog's and the re-read list's entries: detection first, then the
// five codes.  OpenListCode(0) is -1 (detect).
QStringList OpenFilterList();
QStringList RereadList();
int OpenListCode(int index);

// The save-as dialog's entries: the five codes.
QStringList SaveFilterList();
int SaveListCode(int index);
// The index of a code in the save-as list; -1 for a code that is not in it
// (0 is Shift-JIS's).
int SaveListIndexOf(int code);

} // namespace quillo::codepage
