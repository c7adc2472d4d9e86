#include "app/DocumentIO.h"

#include "app/codepage/DocumentWriter.h"
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
    // The view's own storage is read in place; the bytes go to the file a
    // chunk at a time as they are encoded.  A code without a writer is refused
    // here, before any file is made.
    codepage::DocumentWriter writer(memo.TextView(), code);
    QSaveFile file(path);
    // Unbuffered: the chunks are large, a buffer would only copy them again.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw EFileError(QStringLiteral("ファイル %1 を作成できません。%2")
                             .arg(QDir::toNativeSeparators(path), file.errorString())
                             .toStdString());
    }
    const bool written = writer.write([&file](QByteArrayView bytes) {
        return file.write(bytes.data(), bytes.size()) == bytes.size();
    });
    if (!written || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EFileError(QStringLiteral("ファイル %1 に書き込めません。%2")
                             .arg(QDir::toNativeSeparators(path), reason)
                             .toStdString());
    }
}

} // namespace quillo::app
