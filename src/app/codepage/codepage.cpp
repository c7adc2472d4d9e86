#include "app/codepage/codepage.h"
#include "app/codepage/ByteMarks.h"

#include "app/codepage/CodeChoice.h"
#include "app/codepage/CodePageNames.h"
#include "app/codepage/TextDecoder.h"
#include "app/codepage/TextEncoder.h"

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
    switch (code) {
    case 0:
    case 932:
    case 51932:
    case 65001:
    case 1200:
    case 1201:
        return true;
    default:
        return false;
    }
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

WriterForm WriterFormOf(int code) {
    switch (code) {
    case 0:
    case 932:
        return {kShiftJis, {}};
    case 51932:
        return {kEucJp, {}};
    case 65001:
        return {kUtf8, "\xEF\xBB\xBF"};
    case 1200:
        return {kUtf16Le, "\xFF\xFE"};
    case 1201:
        return {kUtf16Be, "\xFE\xFF"};
    default:
        throw ECodePageError("文字コード " + std::to_string(code) +
                             " では保存できません。別の文字コードを選んで保存してください。");
    }
}

EncodedDocument EncodeDocument(QStringView text, int code) {
    const WriterForm form = WriterFormOf(code);
    EncodedDocument doc;
    doc.bytes = EncodeText(text, form.code, form.mark, &doc.substituted);
    return doc;
}

} // namespace quillo::codepage
