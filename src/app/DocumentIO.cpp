#include "app/DocumentIO.h"

#include "app/codepage/codepage.h"
#include "editing/LfMemo.h"

#include <QDir>
#include <QSaveFile>

#include <utility>

namespace quillo::app {

namespace {

// Streams the file: the text is never held twice, as bytes and decoded.
codepage::LoadedText ReadDocument(const QString& path, int requestedCode) {
    try {
        return codepage::ReadTextFile(path, requestedCode);
    } catch (const codepage::ETextFileError& e) {
        throw EFileError(e.what());
    }
}

} // namespace

TLoadResult LoadTextFile(editing::TLfMemo& memo, const QString& path, int requestedCode) {
    codepage::LoadedText loaded = ReadDocument(path, requestedCode);
    // Handed over, not shared, where the view can take the string's storage.
    memo.LoadText(std::move(loaded.text));
    return {loaded.codePage, loaded.badBytes};
}

TLoadResult ReloadTextFile(editing::TLfMemo& memo, const QString& path, int requestedCode) {
    const codepage::LoadedText loaded = ReadDocument(path, requestedCode);
    memo.SetText(loaded.text);
    return {loaded.codePage, loaded.badBytes};
}

void EncodeDocument(const editing::TLfMemo& memo, const QString& path, int code) {
    const QString text = memo.Text();
    const codepage::EncodedDocument encoded = codepage::EncodeDocument(text, code);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw EFileError(QStringLiteral("ファイル %1 を作成できません。%2")
                             .arg(QDir::toNativeSeparators(path), file.errorString())
                             .toStdString());
    }
    if (file.write(encoded.bytes) != encoded.bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EFileError(QStringLiteral("ファイル %1 に書き込めません。%2")
                             .arg(QDir::toNativeSeparators(path), reason)
                             .toStdString());
    }
}

} // namespace quillo::app
