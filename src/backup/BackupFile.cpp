#include "backup/BackupFile.h"

#include "platform/ReadableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quillo::backup {

namespace {

QString FromUtf16LeUnits(QByteArrayView bytes) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        text[i] = QChar(static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8)));
    }
    return text;
}

[[noreturn]] void Fail(const QString& format, const QString& path, const QString& reason) {
    throw EBackupError(format.arg(QDir::toNativeSeparators(path), reason).toStdString());
}

} // namespace

void WriteBackupFile(const QString& path, QStringView text) {
    // The save would write through a link, into /dev/null say, and lose the
    // text; a folder in the way stays an error.
    const QFileInfo entry(path);
    if (entry.isSymLink() || (entry.exists() && !entry.isFile() && !entry.isDir())) {
        QFile::remove(path);
    }
    // An empty text is the mark alone (and the encoder is not handed an empty view).
    const QByteArray bytes = text.isEmpty()
                                 ? QByteArray("\xFF\xFE")
                                 : codepage::EncodeDocument(text, codepage::kUtf16Le).bytes;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        Fail(QStringLiteral("ファイル %1 を作成できません。%2"), path, file.errorString());
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        Fail(QStringLiteral("ファイル %1 に書き込めません。%2"), path, reason);
    }
}

bool IsReadableBackup(const QString& path) {
    const QFileInfo entry(path);
    return !entry.isSymLink() && entry.isFile() && entry.size() <= kMaxBackupBytes;
}

codepage::LoadedText ReadBackupFile(const QString& path) {
    if (QFileInfo(path).isSymLink()) {
        Fail(QStringLiteral("ファイル %1 を開けません。%2"), path,
             QStringLiteral("バックアップがリンクになっています。"));
    }
    QFile file;
    qint64 size = 0;
    try {
        size = platform::OpenRegularFile(path, file);
    } catch (const platform::EUnreadableFile& e) {
        Fail(QStringLiteral("ファイル %1 を開けません。%2"), path, e.Reason());
    }
    if (size > kMaxBackupBytes) {
        Fail(QStringLiteral("ファイル %1 を開けません。%2"), path,
             QStringLiteral("バックアップとしては大きすぎます。"));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Fail(QStringLiteral("ファイル %1 を読み込めません。%2"), path, file.errorString());
    }
    if (bytes.startsWith("\xFF\xFE")) {
        // Our own units back exactly as written.  Not through the general
        // reader: a text that starts with U+0000 would look like UTF-32 there.
        codepage::LoadedText loaded;
        loaded.codePage = codepage::kUtf16Le;
        const QByteArrayView body = QByteArrayView(bytes).sliced(2);
        loaded.text = FromUtf16LeUnits(body);
        if (body.size() % 2 != 0) {
            loaded.text += QChar(static_cast<char16_t>(0xDC00 + uchar(body.back())));
            loaded.badBytes = 1;
        }
        return loaded;
    }
    // Earlier versions wrote Shift-JIS without a mark.  Such a text may
    // begin with the bytes of a UTF-8 mark, which must not be taken as one.
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        const codepage::ConvertResult utf16 =
            codepage::ConvertCodePage(codepage::kShiftJis, codepage::kUtf16Le, bytes);
        if (!utf16.success) {
            throw codepage::ECodePageError("Shift-JIS converter unavailable");
        }
        codepage::LoadedText loaded;
        loaded.codePage = codepage::kShiftJis;
        loaded.text = FromUtf16LeUnits(utf16.bytes);
        return loaded;
    }
    return codepage::LoadTextFile(bytes, codepage::kShiftJis);
}

} // namespace quillo::backup
