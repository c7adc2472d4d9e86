#pragma once

// The program's version in four parts, read from the version the build gives
// the program ("major.minor.revision.build").

#include <QString>

#include <stdexcept>

namespace quillo::accessories {

struct TVersion {
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
    int Build = 0;
    QString StringVersion;
};

// A version text that is not four dot-separated decimal numbers.
class EVersionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

extern TVersion ProgramVersion;

// Splits "1.34.1.257" into its numbers; the text itself is StringVersion.
// Raises EVersionError for fewer than four parts or a part that is no decimal
// 32-bit integer.
TVersion ParseVersion(const QString& text);

// Fills ProgramVersion from the build's version; an empty one leaves it as it is.
void ReadProgramVersion();
void ReadProgramVersion(const QString& fileVersion);

} // namespace quillo::accessories
