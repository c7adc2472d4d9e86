#include "backup/FileTypeRegistration.h"

#include "backup/BackupStrings.h"
#include "platform/FileTypes.h"
#include "platform/MimeAppsList.h"

#include <QFileInfo>
#include <QMimeDatabase>

#include <array>

namespace quillo::backup {

namespace {

constexpr std::array<const char*, 37> kExcluded = {
    ".bat", ".exe",   ".sys", ".com", ".lnk", ".dll", ".dat", ".ini", ".js",  ".cs",
    ".cpp", ".h",     ".m",   ".j",   ".cfg", ".cnf", ".fon", ".ht",  ".inf", ".qic",
    ".set", ".theme", ".ttc", ".ttf", ".vxd", ".ani", ".bak", ".cnt", ".cpl", ".drv",
    ".fab", ".fav",   ".gid", ".grp", ".hlp", ".ico", ".pwl"};

QString StripQuotes(QString arg) {
    if (arg.size() >= 2 && arg.startsWith(QLatin1Char('"')) && arg.endsWith(QLatin1Char('"'))) {
        arg = arg.mid(1, arg.size() - 2);
    }
    return arg;
}

// An extension a glob pattern can carry as it stands.
bool IsUsableExtension(const QString& extension) {
    if (extension.size() < 2) {
        return false;
    }
    for (const QChar c : extension) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[') ||
            c == QLatin1Char(']') || c.isSpace() || c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

} // namespace

QString FileExtension(const QString& file) {
    const QString name = QFileInfo(file).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

bool IsExcludedExtension(const QString& extension) {
    for (const char* excluded : kExcluded) {
        if (extension.compare(QLatin1String(excluded), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

bool HasQuietSwitch(const QStringList& args) {
    for (const QString& arg : args) {
        if (StripQuotes(arg) == QLatin1String("-q")) {
            return true;
        }
    }
    return false;
}

QString UserMimeTypeFor(const QString& extension) {
    QString subtype = QStringLiteral("x-quillo-");
    for (const QChar c : extension.mid(1).toLower()) {
        const char16_t u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '+' || u == '.' || u == '-') {
            subtype += c;
        } else {
            subtype += QStringLiteral("_%1").arg(static_cast<unsigned>(u), 4, 16, QLatin1Char('0'));
        }
    }
    return QStringLiteral("text/") + subtype;
}

QString UserMimePackagePath(const QString& extension) {
    return platform::UserMimeFolder() + QStringLiteral("/packages/quillo-") +
           UserMimeTypeFor(extension).mid(QStringLiteral("text/x-quillo-").size()) +
           QStringLiteral(".xml");
}

QString MimeTypeOfExtension(const QString& extension) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("x") + extension,
                                                           QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault()) {
        return type.name();
    }
    // The database may not have seen our package yet.
    return platform::MimePackageType(UserMimePackagePath(extension));
}

TRegisterResult RegisterFileType(const QString& file, const QStringList& args,
                                 const TFileTypeHost& host) {
    if (HasQuietSwitch(args)) {
        return TRegisterResult::Skipped;
    }
    const QString extension = FileExtension(file);
    if (extension.isEmpty() || IsExcludedExtension(extension) || !IsUsableExtension(extension)) {
        return TRegisterResult::Skipped;
    }
    QString mimeType = MimeTypeOfExtension(extension);
    const bool ownType = mimeType.isEmpty();
    if (ownType) {
        mimeType = UserMimeTypeFor(extension);
    }

    const QString listPath = platform::UserMimeAppsListPath();
    const QString entryPath = platform::UserApplicationsFolder() + QLatin1Char('/') + kDesktopId;
    const QStringList defaults = platform::DefaultApplications(listPath, mimeType);
    if (!defaults.isEmpty() && defaults.constFirst() == kDesktopId &&
        QFileInfo::exists(entryPath)) {
        return TRegisterResult::AlreadyRegistered;
    }

    if (ownType) {
        platform::WriteMimePackage(UserMimePackagePath(extension), mimeType,
                                   strings::TypeDescription, extension.toLower());
    }
    platform::TDesktopEntry entry;
    entry.Name = QStringLiteral("quillo");
    entry.Comment = strings::TypeDescription;
    entry.ExecutablePath = host.ExecutablePath;
    entry.Icon = host.IconName;
    entry.MimeTypes = platform::DesktopEntryMimeTypes(entryPath);
    if (!entry.MimeTypes.contains(mimeType)) {
        entry.MimeTypes.append(mimeType);
    }
    platform::WriteDesktopEntry(entryPath, entry);
    platform::SetDefaultApplication(listPath, mimeType, kDesktopId);

    if (host.NotifyAssociationChanged) {
        host.NotifyAssociationChanged();
    } else {
        platform::NotifyAssociationChanged();
    }
    return TRegisterResult::Registered;
}

} // namespace quillo::backup
