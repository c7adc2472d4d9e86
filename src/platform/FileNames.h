#pragma once

// File names as the file system holds them: bytes.  A name in UTF-8 reads as
// Qt reads it; a byte that is no part of UTF-8 (a Shift-JIS name, say) becomes
// the lone surrogate U+DC00 + byte, as in a document's text, and is written
// back as that byte, so that every name that exists can be opened again.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quillo::platform {

QString DecodeFileName(QByteArrayView bytes);
QByteArray EncodeFileName(QStringView name);

// Whether the name exists (links followed), and whether it is a folder,
// asked with the name's own bytes.
bool PathExists(const QString& path);
bool IsFolder(const QString& path);

} // namespace quillo::platform
