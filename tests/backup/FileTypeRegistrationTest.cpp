#include "backup/FileTypeRegistration.h"
#include "platform/FileTypes.h"
#include "platform/MimeAppsList.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace quillo::backup;
namespace platform = quillo::platform;

namespace {

QString ReadText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void WriteText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

// Each test in its own XDG data and config homes.
class FileTypeTest : public ::testing::Test {
protected:
    void SetUp() override {
        FOldData = qgetenv("XDG_DATA_HOME");
        FOldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", FDir.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", FDir.filePath(QStringLiteral("config")).toLocal8Bit());
        host.ExecutablePath = QStringLiteral("/opt/my apps/quillo");
        host.NotifyAssociationChanged = [this] {
            ++notices;
        };
    }
    void TearDown() override {
        qputenv("XDG_DATA_HOME", FOldData);
        qputenv("XDG_CONFIG_HOME", FOldConfig);
    }

    QString EntryPath() const {
        return FDir.filePath(QStringLiteral("data/applications/quillo.desktop"));
    }
    QString ListPath() const { return FDir.filePath(QStringLiteral("config/mimeapps.list")); }
    bool NothingWritten() const {
        return !QFileInfo::exists(FDir.filePath(QStringLiteral("data"))) &&
               !QFileInfo::exists(FDir.filePath(QStringLiteral("config")));
    }
    TRegisterResult Register(const QString& file) { return RegisterFileType(file, {file}, host); }

    TFileTypeHost host;
    int notices = 0;

private:
    QTemporaryDir FDir;
    QByteArray FOldData;
    QByteArray FOldConfig;
};

} // namespace

TEST_F(FileTypeTest, FirstRegistrationWritesTheEntriesAndTheSecondNothing) {
    EXPECT_EQ(Register(QStringLiteral("/home/u/notes.txt")), TRegisterResult::Registered);
    EXPECT_EQ(notices, 1);

    const QString entry = ReadText(EntryPath());
    EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=\"/opt/my apps/quillo\" %f\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nComment=テキストファイル\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nIcon=quillo\n")));
    EXPECT_EQ(platform::DesktopEntryMimeTypes(EntryPath()),
              QStringList{QStringLiteral("text/plain")});
    EXPECT_EQ(platform::DefaultApplications(ListPath(), QStringLiteral("text/plain")),
              QStringList{kDesktopId});

    const QString listBefore = ReadText(ListPath());
    const QDateTime entryTime = QFileInfo(EntryPath()).lastModified();
    EXPECT_EQ(Register(QStringLiteral("/elsewhere/OTHER.TXT")), TRegisterResult::AlreadyRegistered);
    EXPECT_EQ(notices, 1) << "no notice when nothing changed";
    EXPECT_EQ(ReadText(ListPath()), listBefore);
    EXPECT_EQ(QFileInfo(EntryPath()).lastModified(), entryTime);
}

TEST_F(FileTypeTest, ExcludedExtensionsInAnyCaseAreNeverRegistered) {
    const char* excluded[] = {".bat", ".exe", ".sys", ".com", ".lnk", ".dll",   ".dat", ".ini",
                              ".js",  ".cs",  ".cpp", ".h",   ".m",   ".j",     ".cfg", ".cnf",
                              ".fon", ".ht",  ".inf", ".qic", ".set", ".theme", ".ttc", ".ttf",
                              ".vxd", ".ani", ".bak", ".cnt", ".cpl", ".drv",   ".fab", ".fav",
                              ".gid", ".grp", ".hlp", ".ico", ".pwl"};
    for (const char* ext : excluded) {
        const QString lower = QLatin1String(ext);
        EXPECT_TRUE(IsExcludedExtension(lower)) << ext;
        EXPECT_EQ(Register(QStringLiteral("/x/file") + lower), TRegisterResult::Skipped) << ext;
        EXPECT_EQ(Register(QStringLiteral("/x/file") + lower.toUpper()), TRegisterResult::Skipped);
    }
    EXPECT_EQ(Register(QStringLiteral("x.Ini")), TRegisterResult::Skipped);
    EXPECT_FALSE(IsExcludedExtension(QStringLiteral(".hh")));
    EXPECT_FALSE(IsExcludedExtension(QStringLiteral(".cppx")));
    EXPECT_EQ(notices, 0);
    EXPECT_TRUE(NothingWritten());
}

TEST_F(FileTypeTest, FilesWithoutAnExtensionAreNotRegistered) {
    EXPECT_EQ(FileExtension(QStringLiteral("/a.b/README")), QString());
    EXPECT_EQ(FileExtension(QStringLiteral("/a/b.tar.gz")), QStringLiteral(".gz"));
    EXPECT_EQ(Register(QStringLiteral("/a.b/README")), TRegisterResult::Skipped);
    EXPECT_EQ(Register(QStringLiteral("/a/trailing.")), TRegisterResult::Skipped);
    EXPECT_EQ(Register(QStringLiteral("/a/odd.t*t")), TRegisterResult::Skipped);
    EXPECT_TRUE(NothingWritten());
}

TEST_F(FileTypeTest, QuietSwitchAnywhereStopsEverything) {
    const QString file = QStringLiteral("/x/a.txt");
    EXPECT_EQ(RegisterFileType(file, {QStringLiteral("-q"), file}, host), TRegisterResult::Skipped);
    EXPECT_EQ(RegisterFileType(file, {file, QStringLiteral("\"-q\"")}, host),
              TRegisterResult::Skipped);
    EXPECT_EQ(RegisterFileType(file, {QStringLiteral("-q")}, host), TRegisterResult::Skipped);
    EXPECT_TRUE(NothingWritten());
    EXPECT_FALSE(HasQuietSwitch({QStringLiteral("-Q"), QStringLiteral("-qq")}));
    EXPECT_EQ(RegisterFileType(file, {QStringLiteral("-Q")}, host), TRegisterResult::Registered);
}

TEST_F(FileTypeTest, AnotherProgramsTypeIsTakenOverKeepingTheRestOfTheList) {
    const QString logType = MimeTypeOfExtension(QStringLiteral(".log"));
    ASSERT_FALSE(logType.isEmpty());
    WriteText(ListPath(), QStringLiteral("# the user's own\n"
                                         "[Default Applications]\n"
                                         "%1=other.desktop;\n"
                                         "image/png=viewer.desktop;\n"
                                         "\n"
                                         "[Removed Associations]\n"
                                         "text/html=browser.desktop;\n")
                              .arg(logType));

    EXPECT_EQ(Register(QStringLiteral("/var/app.log")), TRegisterResult::Registered);
    EXPECT_EQ(platform::DefaultApplications(ListPath(), logType),
              (QStringList{kDesktopId, QStringLiteral("other.desktop")}));
    const QString list = ReadText(ListPath());
    EXPECT_TRUE(list.startsWith(QStringLiteral("# the user's own\n")));
    EXPECT_TRUE(list.contains(QStringLiteral("image/png=viewer.desktop;\n")));
    EXPECT_TRUE(
        list.contains(QStringLiteral("[Removed Associations]\ntext/html=browser.desktop;\n")));
    EXPECT_TRUE(
        list.contains(QStringLiteral("[Added Associations]\n%1=quillo.desktop;\n").arg(logType)));
    EXPECT_EQ(notices, 1);
}

TEST_F(FileTypeTest, UnknownExtensionGetsATypeOfItsOwn) {
    const QString ext = QStringLiteral(".zqx9");
    ASSERT_TRUE(MimeTypeOfExtension(ext).isEmpty());
    EXPECT_EQ(Register(QStringLiteral("/d/data.ZQX9")), TRegisterResult::Registered);

    const QString type = UserMimeTypeFor(ext);
    EXPECT_EQ(type, QStringLiteral("text/x-quillo-zqx9"));
    EXPECT_EQ(platform::MimePackageType(UserMimePackagePath(ext)), type);
    EXPECT_TRUE(ReadText(UserMimePackagePath(ext)).contains(QStringLiteral("pattern=\"*.zqx9\"")));
    EXPECT_EQ(MimeTypeOfExtension(ext), type);
    EXPECT_EQ(platform::DefaultApplications(ListPath(), type), QStringList{kDesktopId});

    EXPECT_EQ(Register(QStringLiteral("/d/more.zqx9")), TRegisterResult::AlreadyRegistered);
    EXPECT_EQ(Register(QStringLiteral("/d/notes.txt")), TRegisterResult::Registered);
    EXPECT_EQ(platform::DesktopEntryMimeTypes(EntryPath()),
              (QStringList{type, QStringLiteral("text/plain")}));
    EXPECT_EQ(notices, 2);
}

TEST_F(FileTypeTest, AMissingDesktopEntryIsWrittenAgain) {
    ASSERT_EQ(Register(QStringLiteral("/d/a.txt")), TRegisterResult::Registered);
    ASSERT_TRUE(QFile::remove(EntryPath()));
    EXPECT_EQ(Register(QStringLiteral("/d/a.txt")), TRegisterResult::Registered);
    EXPECT_TRUE(QFileInfo::exists(EntryPath()));
    EXPECT_EQ(platform::DefaultApplications(ListPath(), QStringLiteral("text/plain")),
              QStringList{kDesktopId})
        << "listed once";
}

TEST_F(FileTypeTest, ExecLineQuotesAndEscapesThePath) {
    EXPECT_EQ(platform::DesktopExecLine(QStringLiteral("/usr/bin/quillo")),
              QStringLiteral("\"/usr/bin/quillo\" %f"));
    // In the file: \" for a quote, \\\\ for a backslash, \\$ and \\` likewise, %% for %.
    EXPECT_EQ(platform::DesktopExecLine(QStringLiteral("/a \"b\"/$c`d%e\\f")),
              QStringLiteral("\"/a \\\\\"b\\\\\"/\\\\$c\\\\`d%%e\\\\\\\\f\" %f"));
}

TEST_F(FileTypeTest, TheUpdateToolsBuildTheUsersCaches) {
    if (QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
        GTEST_SKIP() << "desktop-file-utils or shared-mime-info not installed";
    }
    host.NotifyAssociationChanged = nullptr; // the real notice
    ASSERT_EQ(Register(QStringLiteral("/d/data.zqx9")), TRegisterResult::Registered);
    EXPECT_TRUE(ReadText(platform::UserApplicationsFolder() + QStringLiteral("/mimeinfo.cache"))
                    .contains(QStringLiteral("text/x-quillo-zqx9=quillo.desktop;")));
    EXPECT_TRUE(ReadText(platform::UserMimeFolder() + QStringLiteral("/globs2"))
                    .contains(QStringLiteral("text/x-quillo-zqx9:*.zqx9")));
}
