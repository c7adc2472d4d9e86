#include "accessories/Version.h"

#include <gtest/gtest.h>

using namespace quillo::accessories;

namespace {

TEST(Version, FourPartsAndTheWholeText) {
    const TVersion v = ParseVersion(QStringLiteral("1.34.1.257"));
    EXPECT_EQ(v.Major, 1);
    EXPECT_EQ(v.Minor, 34);
    EXPECT_EQ(v.Revision, 1);
    EXPECT_EQ(v.Build, 257);
    EXPECT_EQ(v.StringVersion, "1.34.1.257");
    // Parts after the fourth are kept in the text only.
    const TVersion five = ParseVersion(QStringLiteral("2.0.3.4.9"));
    EXPECT_EQ(five.Build, 4);
    EXPECT_EQ(five.StringVersion, "2.0.3.4.9");
}

TEST(Version, MalformedTextsRaise) {
    for (const char* bad : {"", "1", "1.2.3", "1.2.3.x", "1.2..4", "1. 2.3.4", "1.2.3.4 ",
                            "0x1.2.3.4", "1.2.3.99999999999", "1,2,3,4"}) {
        EXPECT_THROW(ParseVersion(QString::fromLatin1(bad)), EVersionError) << bad;
    }
}

TEST(Version, ErrorMessagesNameTheFault) {
    try {
        ParseVersion(QStringLiteral("1.2.3"));
        FAIL();
    } catch (const EVersionError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (3)");
    }
    try {
        ParseVersion(QStringLiteral("1.2.b3.4"));
        FAIL();
    } catch (const EVersionError& e) {
        EXPECT_STREQ(e.what(), "'b3' is not a valid integer value");
    }
}

TEST(Version, ProgramVersionComesFromTheBuild) {
    ProgramVersion = {};
    ReadProgramVersion(QString()); // no version: the record stays
    EXPECT_EQ(ProgramVersion.StringVersion, "");
    ReadProgramVersion();
    EXPECT_EQ(ProgramVersion.StringVersion, QStringLiteral(QUILLO_TEST_PROJECT_VERSION));
    EXPECT_EQ(ProgramVersion.StringVersion.count(QLatin1Char('.')), 3);
    // A failed read leaves the earlier record whole.
    EXPECT_THROW(ReadProgramVersion(QStringLiteral("9.9.x.9")), EVersionError);
    EXPECT_EQ(ProgramVersion.StringVersion, QStringLiteral(QUILLO_TEST_PROJECT_VERSION));
}

} // namespace
