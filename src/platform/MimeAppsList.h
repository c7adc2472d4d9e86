#pragma once

// The user's default applications per MIME type: the [Default Applications]
// and [Added Associations] groups of mimeapps.list.  Everything else in the
// file is kept as it stands.

#include <QString>
#include <QStringList>

namespace quillo::platform {

// XDG config home + "/mimeapps.list".
QString UserMimeAppsListPath();

// The desktop ids listed for mimeType in [Default Applications], first the
// preferred one; empty when the file or the entry is missing.
QStringList DefaultApplications(const QString& listPath, const QString& mimeType);

// Puts desktopId first in mimeType's default and added associations, keeping
// the other ids behind it.  Written atomically; throws EAssociationError.
void SetDefaultApplication(const QString& listPath, const QString& mimeType,
                           const QString& desktopId);

} // namespace quillo::platform
