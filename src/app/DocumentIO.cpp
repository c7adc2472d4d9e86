#include "app/DocumentIO.h"

#include "app/codepage/codepage.h"
#include "editing/LfMemo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quillo::app {

namespace {

QByteArray ReadWholeFile(const QString& path) {
    if (QFileInfo(path).isDir()) {
        throw EFileError(QStringLiteral("ファイル %1 を開けません。フォルダです。")
                             .arg(QDir::toNativeSeparators(path))
                             .toStdString());
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw EFileError(QStringLiteral("ファイル %1 を開けません。%2")
                             .arg(QDir::toNativeSeparators(path), file.errorString())
                             .toStdString());
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw EFileError(QStringLiteral("ファイル %1 を読み込めません。%2")
                             .arg(QDir::toNativeSeparators(path), file.errorString())
                             .toStdString());
    }
    return bytes;
}

} // namespace

TLoadResult LoadTextFile(editing::TLfMemo& memo, const QString& path, int requestedCode) {
    const codepage::LoadedText loaded = codepage::LoadTextFile(ReadWholeFile(path), requestedCode);
    memo.LoadText(loaded.text);
    return {loaded.codePage, loaded.badBytes};
}

TLoadResult ReloadTextFile(editing::TLfMemo& memo, const QString& path, int requestedCode) {
    const codepage::LoadedText loaded = codepage::LoadTextFile(ReadWholeFile(path), requestedCode);
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
