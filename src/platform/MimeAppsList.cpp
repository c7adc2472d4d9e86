#include "platform/MimeAppsList.h"

#include "platform/FileTypes.h"

#include <QFile>
#include <QStandardPaths>

namespace quillo::platform {

namespace {

const QString kDefaultGroup = QStringLiteral("[Default Applications]");
const QString kAddedGroup = QStringLiteral("[Added Associations]");

QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty()) {
        lines.removeLast(); // the final line break
    }
    return lines;
}

bool IsGroupHeader(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char('['));
}

// The key of a "key=value" line, or an empty string.
QString KeyOf(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0 || line.trimmed().startsWith(QLatin1Char('#'))) {
        return {};
    }
    return line.left(eq).trimmed();
}

QStringList ValueList(const QString& line) {
    return line.mid(line.indexOf(QLatin1Char('=')) + 1)
        .trimmed()
        .split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// Puts desktopId first in mimeType's entry of group, adding group or entry.
void PutFirst(QStringList& lines, const QString& group, const QString& mimeType,
              const QString& desktopId) {
    qsizetype groupLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed() == group) {
            groupLine = i;
            break;
        }
    }
    if (groupLine < 0) {
        if (!lines.isEmpty() && !lines.constLast().trimmed().isEmpty()) {
            lines.append(QString());
        }
        lines.append(group);
        groupLine = lines.size() - 1;
    }
    qsizetype end = groupLine + 1;
    while (end < lines.size() && !IsGroupHeader(lines[end])) {
        ++end;
    }
    QStringList ids{desktopId};
    qsizetype at = -1;
    for (qsizetype i = groupLine + 1; i < end; ++i) {
        if (KeyOf(lines[i]) == mimeType) {
            for (const QString& id : ValueList(lines[i])) {
                if (!ids.contains(id)) {
                    ids.append(id);
                }
            }
            at = i;
            break;
        }
    }
    const QString line =
        mimeType + QLatin1Char('=') + ids.join(QLatin1Char(';')) + QLatin1Char(';');
    if (at >= 0) {
        lines[at] = line;
        return;
    }
    // After the group's last entry, before any blank lines that part it from the next.
    qsizetype insertAt = end;
    while (insertAt > groupLine + 1 && lines[insertAt - 1].trimmed().isEmpty()) {
        --insertAt;
    }
    lines.insert(insertAt, line);
}

} // namespace

QString UserMimeAppsListPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/mimeapps.list");
}

QStringList DefaultApplications(const QString& listPath, const QString& mimeType) {
    bool inGroup = false;
    for (const QString& line : ReadLines(listPath)) {
        if (IsGroupHeader(line)) {
            inGroup = line.trimmed() == kDefaultGroup;
        } else if (inGroup && KeyOf(line) == mimeType) {
            return ValueList(line);
        }
    }
    return {};
}

void SetDefaultApplication(const QString& listPath, const QString& mimeType,
                           const QString& desktopId) {
    QStringList lines = ReadLines(listPath);
    PutFirst(lines, kDefaultGroup, mimeType, desktopId);
    PutFirst(lines, kAddedGroup, mimeType, desktopId);
    WriteAssociationFile(listPath, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

} // namespace quillo::platform
