#pragma once

// Making this program the current user's handler of a file's type when it was
// started with that file.  Never for "-q" starts, files without an extension
// or the excluded system types; nothing is written when the type's default is
// already this program.

#include <QString>
#include <QStringList>

#include <functional>

namespace quillo::backup {

inline const QString kDesktopId = QStringLiteral("quillo.desktop");

// The extension of the file's name part, dot included; empty when none.
QString FileExtension(const QString& file);

// One of the system types that are never taken over (letter case ignored).
bool IsExcludedExtension(const QString& extension);

// "-q", quotes removed, anywhere among the arguments (letter case counts).
bool HasQuietSwitch(const QStringList& args);

// The MIME type an extension belongs to: the shared MIME database's, else the
// one our own package declares for it, else empty.
QString MimeTypeOfExtension(const QString& extension);

// The type this program declares for an extension nobody knows.
QString UserMimeTypeFor(const QString& extension);
QString UserMimePackagePath(const QString& extension);

struct TFileTypeHost {
    QString ExecutablePath; // full path, run with the file
    QString IconName = QStringLiteral("quillo");
    std::function<void()> NotifyAssociationChanged; // empty: the update tools
};

enum class TRegisterResult {
    Skipped,           // "-q", no extension, an excluded or unusable one
    AlreadyRegistered, // the type's default is this program: nothing written
    Registered,        // entries written and the change announced
};

// args: the command-line arguments after the program's name.  Throws
// platform::EAssociationError when a file cannot be written.
TRegisterResult RegisterFileType(const QString& file, const QStringList& args,
                                 const TFileTypeHost& host);

} // namespace quillo::backup
