#include "document/DocumentFile.h"

#include "codepage/DocumentWriter.h"
#include "codepage/codepage.h"
#include "document/Document.h"
#include "platform/FileSync.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace quillo::document {

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

TLoadResult LoadTextFile(TDocument& document, const QString& path, int requestedCode) {
    codepage::LoadedText loaded = ReadDocument(path, requestedCode);
    // Handed over, not shared, so that the storage takes the string as it is.
    document.Load(std::move(loaded.text));
    return {loaded.codePage, loaded.badBytes};
}

TLoadResult ReloadTextFile(TDocument& document, const QString& path, int requestedCode,
                           TSelection selection) {
    const codepage::LoadedText loaded = ReadDocument(path, requestedCode);
    document.SetText(loaded.text, selection);
    return {loaded.codePage, loaded.badBytes};
}

void WriteTextFile(QStringView text, const QString& path, int code) {
    // The text is read where it lies; the bytes go to the file a chunk at a
    // time as they are encoded.  A code without a writer is refused here,
    // before any file is made.
    codepage::DocumentWriter writer(text, code);
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

void EncodeDocument(const TDocument& document, const QString& path, int code) {
    WriteTextFile(document.View(), path, code);
}

} // namespace quillo::document
