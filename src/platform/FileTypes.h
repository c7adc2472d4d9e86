#pragma once

// The freedesktop side of making this program the handler of a file type for
// the current user: its desktop entry, a MIME package for an extension the
// shared MIME database does not know, and the update tools as the notice that
// associations changed.  All below the XDG data home.

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace quillo::platform {

// A file of the association that cannot be written; the message is for the user.
class EAssociationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes bytes to path atomically, creating its folder; throws EAssociationError.
void WriteAssociationFile(const QString& path, const QByteArray& bytes);

QString UserApplicationsFolder(); // XDG data home + "/applications"
QString UserMimeFolder();         // XDG data home + "/mime"

struct TDesktopEntry {
    QString Name;
    QString Comment;
    QString ExecutablePath; // run as Exec="<path>" %f
    QString Icon;
    QStringList MimeTypes;
};

// The Exec value that runs path with one file: the path quoted and escaped as
// a desktop entry wants it, then %f.
QString DesktopExecLine(const QString& executablePath);

// The MimeType list of an existing entry; empty when there is none.
QStringList DesktopEntryMimeTypes(const QString& entryPath);

// Writes the entry atomically, creating its folder; throws EAssociationError.
void WriteDesktopEntry(const QString& entryPath, const TDesktopEntry& entry);

// A package declaring mimeType, a kind of text/plain, for files named *<extension>.
void WriteMimePackage(const QString& packagePath, const QString& mimeType, const QString& comment,
                      const QString& extension);

// The first type a package declares; empty when the file is missing or unreadable.
QString MimePackageType(const QString& packagePath);

// Runs update-desktop-database and update-mime-database on the user's folders
// when they are installed; their absence or failure is not an error.
void NotifyAssociationChanged();

} // namespace quillo::platform
