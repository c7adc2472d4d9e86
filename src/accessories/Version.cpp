// The program's four-part version, from the version the build defines.

#include "accessories/Version.h"

#include <QStringList>

namespace quillo::accessories {

TVersion ProgramVersion;

namespace {

int ToInteger(const QString& part) {
    // Optional sign and decimal digits only: no blanks, no hexadecimal.
    const qsizetype start =
        (part.startsWith(QLatin1Char('-')) || part.startsWith(QLatin1Char('+')));
    bool digits = part.size() > start;
    for (qsizetype i = start; i < part.size() && digits; ++i) {
        digits = part.at(i) >= QLatin1Char('0') && part.at(i) <= QLatin1Char('9');
    }
    bool ok = false;
    const int value = digits ? part.toInt(&ok, 10) : 0;
    if (!ok) {
        throw EVersionError("'" + part.toStdString() + "' is not a valid integer value");
    }
    return value;
}

} // namespace

TVersion ParseVersion(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() < 4) {
        throw EVersionError("List index out of bounds (" + std::to_string(parts.size()) + ")");
    }
    TVersion v;
    v.Major = ToInteger(parts.at(0));
    v.Minor = ToInteger(parts.at(1));
    v.Revision = ToInteger(parts.at(2));
    v.Build = ToInteger(parts.at(3));
    v.StringVersion = text;
    return v;
}

void ReadProgramVersion(const QString& fileVersion) {
    if (fileVersion.isEmpty()) {
        return;
    }
    ProgramVersion = ParseVersion(fileVersion);
}

void ReadProgramVersion() {
    ReadProgramVersion(QStringLiteral(QUILLO_FILE_VERSION));
}

} // namespace quillo::accessories
