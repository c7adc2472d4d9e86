#include "app/DocumentIO.h"

#include "codepage/DocumentWriter.h"
#include "codepage/codepage.h"
#include "editing/LfMemo.h"
#include "platform/FileSync.h"

#include <QDir>
#include <QFileInfo>
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

// How much is written before the disk is asked to start on it.
constexpr qint64 kWritebackBytes = 32 * 1024 * 1024;

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
    // The disk starts on each written stretch while the next is encoded, so
    // that the commit's sync (which stays: a save must last) waits for less.
    const int fd = file.handle();
    qint64 offset = 0;
    qint64 started = 0;
    const bool written = writer.write([&](QByteArrayView bytes) {
        if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
            return false;
        }
        offset += bytes.size();
        if (offset - started >= kWritebackBytes) {
            platform::StartWriteback(fd, started, offset - started);
            started = offset;
        }
        return true;
    });
    if (!written || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EFileError(QStringLiteral("ファイル %1 に書き込めません。%2")
                             .arg(QDir::toNativeSeparators(path), reason)
                             .toStdString());
    }
    platform::SyncFolderOf(path);
}

} // namespace quillo::app
