#include "platform/FileTypes.h"

#include "platform/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace quillo::platform {

namespace {

[[noreturn]] void Fail(const QString& path, const QString& reason) {
    throw EAssociationError(QStringLiteral("ファイル %1 に書き込めません。%2")
                                .arg(QDir::toNativeSeparators(path), reason)
                                .toStdString());
}

// The escapes of a desktop entry's string values.
QString EscapeDesktopString(const QString& value) {
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void RunTool(const QString& tool, const QString& folder) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty() || !QFileInfo(folder).isDir()) {
        return;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {folder});
    if (process.waitForStarted(5000) && !process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}

} // namespace

void WriteAssociationFile(const QString& path, const QByteArray& bytes) {
    try {
        CreateFolderLevels(QFileInfo(path).absolutePath());
    } catch (const EFolderError& e) {
        throw EAssociationError(e.what());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        Fail(path, file.errorString());
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        Fail(path, reason);
    }
}

QString UserApplicationsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/applications");
}

QString UserMimeFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/mime");
}

QString DesktopExecLine(const QString& executablePath) {
    // Inside double quotes the Exec grammar escapes " ` $ and \ with a
    // backslash; a literal % is doubled.  The string escapes come on top.
    QString quoted;
    for (const QChar c : executablePath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        } else if (c == QLatin1Char('%')) {
            quoted += QLatin1Char('%');
        }
        quoted += c;
    }
    return EscapeDesktopString(QLatin1Char('"') + quoted + QLatin1Char('"')) +
           QStringLiteral(" %f");
}

QStringList DesktopEntryMimeTypes(const QString& entryPath) {
    QFile file(entryPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inMainGroup && line.startsWith(QLatin1String("MimeType"))) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq > 0 && line.left(eq).trimmed() == QLatin1String("MimeType")) {
                return line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            }
        }
    }
    return {};
}

void WriteDesktopEntry(const QString& entryPath, const TDesktopEntry& entry) {
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n");
    text += QStringLiteral("Name=") + EscapeDesktopString(entry.Name) + QLatin1Char('\n');
    text += QStringLiteral("Comment=") + EscapeDesktopString(entry.Comment) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + DesktopExecLine(entry.ExecutablePath) + QLatin1Char('\n');
    text += QStringLiteral("Icon=") + EscapeDesktopString(entry.Icon) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    if (!entry.MimeTypes.isEmpty()) {
        text += QStringLiteral("MimeType=") + entry.MimeTypes.join(QLatin1Char(';')) +
                QStringLiteral(";\n");
    }
    WriteAssociationFile(entryPath, text.toUtf8());
}

void WriteMimePackage(const QString& packagePath, const QString& mimeType, const QString& comment,
                      const QString& extension) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(
        QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    xml.writeStartElement(QStringLiteral("mime-info"));
    xml.writeStartElement(QStringLiteral("mime-type"));
    xml.writeAttribute(QStringLiteral("type"), mimeType);
    xml.writeEmptyElement(QStringLiteral("sub-class-of"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("text/plain"));
    xml.writeTextElement(QStringLiteral("comment"), comment);
    xml.writeEmptyElement(QStringLiteral("glob"));
    xml.writeAttribute(QStringLiteral("pattern"), QLatin1Char('*') + extension);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    WriteAssociationFile(packagePath, bytes);
}

QString MimePackageType(const QString& packagePath) {
    QFile file(packagePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QXmlStreamReader xml(&file);
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("mime-info")) {
            continue; // descend
        }
        if (xml.name() == QLatin1String("mime-type")) {
            return xml.attributes().value(QLatin1String("type")).toString();
        }
        xml.skipCurrentElement();
    }
    return {};
}

void NotifyAssociationChanged() {
    RunTool(QStringLiteral("update-desktop-database"), UserApplicationsFolder());
    RunTool(QStringLiteral("update-mime-database"), UserMimeFolder());
}

} // namespace quillo::platform
