#include "codepage/codepage.h"
#include "codepage/ByteMarks.h"

#include "codepage/CodeChoice.h"
#include "codepage/CodePageNames.h"
#include "codepage/DocumentCodes.h"
#include "codepage/TextDecoder.h"
#include "codepage/TextEncoder.h"

namespace quillo::codepage {
namespace {

bool hasConverter(int code) {
    return HasDocumentWriter(code) || IconvNameOf(code) != nullptr;
}

} // namespace

ConvertResult ConvertCodePage(int from, int to, QByteArrayView bytes) {
    ConvertResult result;
    if (!hasConverter(from) || !hasConverter(to)) {
        return result;
    }
    try {
        TextDecoder decoder(from, false);
        const QString text =
            decoder.decodeAll(bytes.data(), static_cast<std::size_t>(bytes.size()));
        result.bytes = EncodeText(text, to);
    } catch (const ECodePageError&) {
        return {}; // the system lacks the converter after all
    }
    result.success = !result.bytes.isEmpty();
    return result;
}

CodeChoice ChooseCode(QByteArrayView head, int requestedCode) {
    // A byte-order mark wins over the requested and the detected code.
    const ByteMark mark = MarkOf(head);
    CodeChoice choice{requestedCode < 0 ? 0 : requestedCode, mark.length};
    if (mark.length > 0) {
        choice.code = mark.code;
    } else if (requestedCode < 0) {
        choice.code = DetectCodePage(head);
    }
    if (choice.code == kWestern || choice.code == kUsAscii) {
        // Plain text named Western or ASCII is read as Shift-JIS, its superset here.
        choice.code = kShiftJis;
    }
    return choice;
}

LoadedText LoadTextFile(QByteArrayView bytes, int requestedCode) {
    const CodeChoice choice = ChooseCode(bytes, requestedCode);
    TextDecoder decoder(choice.code, true);
    const QByteArrayView body = bytes.sliced(choice.markBytes);
    LoadedText loaded;
    loaded.text = decoder.decodeAll(body.data(), static_cast<std::size_t>(body.size()));
    loaded.codePage = choice.code;
    loaded.badBytes = static_cast<qsizetype>(decoder.badBytes());
    return loaded;
}

bool HasDocumentWriter(int code) {
    return FindDocumentCode(code) != nullptr;
}

int SuggestedWriterCode(int code) {
    switch (code) {
    case 0:
    case 932:
    case kWestern:
    case kUsAscii:
    case 50220: // ISO-2022-JP
        return kShiftJis;
    case kUtf32Le:
        return kUtf16Le;
    case kUtf32Be:
        return kUtf16Be;
    default:
        return HasDocumentWriter(code) ? code : kUtf8; // UTF-8 holds every character
    }
}

EncodedDocument EncodeDocument(QStringView text, int code) {
    const DocumentCode& writer = WriterCodeOf(code);
    EncodedDocument doc;
    doc.bytes = EncodeText(text, writer.code, writer.mark, &doc.substituted);
    return doc;
}

} // namespace quillo::codepage
