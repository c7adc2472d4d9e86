// Saving over what is not an ordinary file, and over files whose identity
// (links, owner, mode, attributes) must survive the save; a full disk.

#include "document/Document.h"
#include "document/DocumentFile.h"
#include "fault/FaultSupport.h"
#include "support/UnixSocket.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>

#include <sys/mount.h>
#include <sys/sysmacros.h>

namespace {

using quillo::testing::IsRoot;
using quillo::testing::ReadBytes;
using quillo::testing::StatOf;
using quillo::testing::WriteBytes;

class FaultSaveTest : public quillo::testing::FaultTest {
protected:
    // A file with `old`, opened in Shift-JIS and typed into at its start.
    void OpenAndType(const QString& path, const QByteArray& old, const QString& typed) {
        WriteBytes(path, old);
        Open(path);
        ASSERT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
        Type(typed);
    }
};

} // namespace

TEST_F(FaultSaveTest, SavingOverADeviceNodeWritesIntoItAndKeepsIt) {
    if (!IsRoot()) {
        GTEST_SKIP() << "making a device node needs root";
    }
    // Private copies of /dev/null (takes everything) and /dev/full (a full disk).
    const QString null = Path("null");
    const QString full = Path("full");
    ASSERT_EQ(::mknod(QFile::encodeName(null).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    Type(QStringLiteral("text for the device"));
    Blocked([&] { SaveAs(null); });
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    EXPECT_TRUE(S_ISCHR(StatOf(null).st_mode));
    EXPECT_EQ(StatOf(null).st_rdev, makedev(1, 3));
    EXPECT_FALSE(Memo(*form).Modified());

    Type(QStringLiteral("more "));
    Blocked([&] { SaveAs(full); });
    EXPECT_TRUE(LastError().contains(QStringLiteral("ディスクがいっぱいです")))
        << LastError().toStdString();
    EXPECT_TRUE(S_ISCHR(StatOf(full).st_mode));
    EXPECT_TRUE(Memo(*form).Modified());
}

TEST_F(FaultSaveTest, SavingOverAFifoWritesIntoItAndNeverWaitsForAReader) {
    const QString fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    Type(QStringLiteral("through the pipe"));

    // Nobody reads: refused at once, the text stays modified.
    const qint64 ms = Blocked([&] { SaveAs(fifo); });
    EXPECT_LT(ms, 1000);
    EXPECT_TRUE(LastError().contains(QStringLiteral("受け取る相手がいません")))
        << LastError().toStdString();
    EXPECT_TRUE(Memo(*form).Modified());

    // A reader (the pipe holds what a small text needs until it reads).
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    prompts.Errors.clear();
    Blocked([&] { SaveAs(fifo); });
    QByteArray received(64, '\0');
    received.truncate(std::max<ssize_t>(0, ::read(reader, received.data(), received.size())));
    ::close(reader);
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    EXPECT_EQ(received, QByteArray("through the pipe"));
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
}

TEST_F(FaultSaveTest, EveryHardLinkSeesTheSavedText) {
    OpenAndType(Path("a.txt"), "shared\r\n", QStringLiteral("new "));
    ASSERT_EQ(::link(QFile::encodeName(Path("a.txt")).constData(),
                     QFile::encodeName(Path("b.txt")).constData()),
              0);
    const ino_t inode = StatOf(Path("a.txt")).st_ino;
    Blocked([&] { form->FileSave1Execute(); });
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    EXPECT_EQ(ReadBytes(Path("a.txt")), QByteArray("new shared\r\n"));
    EXPECT_EQ(ReadBytes(Path("b.txt")), QByteArray("new shared\r\n"));
    EXPECT_EQ(StatOf(Path("a.txt")).st_ino, inode);
    EXPECT_EQ(StatOf(Path("b.txt")).st_nlink, 2u);
    EXPECT_FALSE(SafetyCopiesLeft());
}

TEST_F(FaultSaveTest, ModesWithSpecialBitsAreKept) {
    for (const mode_t mode : {04755, 02750, 01644, 06711}) {
        const QString path = Path("script.sh");
        QFile::remove(path);
        OpenAndType(path, "#!/bin/sh\r\n", QStringLiteral("# "));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        ASSERT_EQ(StatOf(path).st_mode & 07777, mode) << std::oct << mode;
        Blocked([&] { form->FileSave1Execute(); });
        EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
        EXPECT_EQ(ReadBytes(path), QByteArray("# #!/bin/sh\r\n"));
        EXPECT_EQ(StatOf(path).st_mode & 07777, mode) << std::oct << mode;
    }
}

TEST_F(FaultSaveTest, OwnerAndGroupAreKept) {
    if (!IsRoot()) {
        GTEST_SKIP() << "giving a file to another user needs root";
    }
    OpenAndType(Path("theirs.txt"), "their text\r\n", QStringLiteral("root's "));
    ASSERT_EQ(::chown(QFile::encodeName(Path("theirs.txt")).constData(), 4242, 4343), 0);
    Blocked([&] { form->FileSave1Execute(); });
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    EXPECT_EQ(ReadBytes(Path("theirs.txt")), QByteArray("root's their text\r\n"));
    EXPECT_EQ(StatOf(Path("theirs.txt")).st_uid, 4242u);
    EXPECT_EQ(StatOf(Path("theirs.txt")).st_gid, 4343u);
}

TEST_F(FaultSaveTest, ExtendedAttributesAndAclsAreKept) {
    if (!quillo::testing::KeepsUserAttributes(dir.path())) {
        GTEST_SKIP() << "the file system of " << dir.path().toStdString()
                     << " keeps no user extended attributes";
    }
    const QString path = Path("tagged.txt");
    OpenAndType(path, "tagged\r\n", QStringLiteral("still "));
    const QByteArray file = QFile::encodeName(path);
    ASSERT_EQ(::setxattr(file.constData(), "user.origin", "scanner", 7, 0), 0);
    ASSERT_EQ(::setxattr(file.constData(), "user.empty", "", 0, 0), 0);
    const QByteArray acl = quillo::testing::AclGivingUser(4242);
    const bool acls = ::setxattr(file.constData(), "system.posix_acl_access", acl.constData(),
                                 acl.size(), 0) == 0;
    const mode_t mode = StatOf(path).st_mode & 07777;
    Blocked([&] { form->FileSave1Execute(); });
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    EXPECT_EQ(ReadBytes(path), QByteArray("still tagged\r\n"));
    EXPECT_EQ(quillo::testing::Attribute(path, "user.origin"), QByteArray("scanner"));
    EXPECT_EQ(quillo::testing::Attribute(path, "user.empty"), QByteArray(""));
    EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
    if (acls) {
        EXPECT_EQ(quillo::testing::Attribute(path, "system.posix_acl_access"), acl);
    } else {
        std::printf("[fault] ACLs not checked: the file system refuses them\n");
    }
}

TEST_F(FaultSaveTest, AFoldersDefaultAclDoesNotReachAFileThatHadNone) {
    const QString sub = Path("shared");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString path = sub + QStringLiteral("/plain.txt");
    OpenAndType(path, "plain\r\n", QStringLiteral("still "));
    const QByteArray acl = quillo::testing::AclGivingUser(4242);
    if (::setxattr(QFile::encodeName(sub).constData(), "system.posix_acl_default", acl.constData(),
                   acl.size(), 0) != 0) {
        GTEST_SKIP() << "the file system of " << dir.path().toStdString() << " keeps no ACLs";
    }
    const mode_t mode = StatOf(path).st_mode & 07777;
    Blocked([&] { form->FileSave1Execute(); });
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    EXPECT_EQ(quillo::testing::Attribute(path, "system.posix_acl_access"), QByteArray("<none>"));
    EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
}

TEST_F(FaultSaveTest, AReadOnlyFileIsWrittenOnlyAfterAskingEvenByRoot) {
    const QString path = Path("readonly.txt");
    OpenAndType(path, "keep me\r\n", QStringLiteral("changed "));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const QString question = QStringLiteral("%1 は読み取り専用です。上書きしますか？")
                                 .arg(QDir::toNativeSeparators(path));

    prompts.Answers = {QMessageBox::No};
    Blocked([&] { form->FileSave1Execute(); });
    ASSERT_FALSE(prompts.Asked.empty());
    EXPECT_EQ(prompts.Asked.back().Text, question);
    EXPECT_EQ(ReadBytes(path), QByteArray("keep me\r\n"));
    EXPECT_TRUE(Memo(*form).Modified());

    prompts.Answers = {QMessageBox::Yes};
    Blocked([&] { form->FileSave1Execute(); });
    EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
    EXPECT_EQ(ReadBytes(path), QByteArray("changed keep me\r\n"));
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0444u);
    EXPECT_FALSE(Memo(*form).Modified());
}

TEST_F(FaultSaveTest, AWritableFileInAFolderWeCannotWriteIsSavedInPlace) {
    const QString sub = Path("locked");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString path = sub + QStringLiteral("/doc.txt");
    WriteBytes(path, "old text\r\n");
    if (!IsRoot()) {
        Open(path);
        Type(QStringLiteral("new "));
        ASSERT_EQ(::chmod(QFile::encodeName(sub).constData(), 0555), 0);
        Blocked([&] { form->FileSave1Execute(); });
        ::chmod(QFile::encodeName(sub).constData(), 0755);
        EXPECT_TRUE(prompts.Errors.empty()) << LastError().toStdString();
        EXPECT_EQ(ReadBytes(path), QByteArray("new old text\r\n"));
        EXPECT_FALSE(SafetyCopiesLeft());
        return;
    }
    // Root may write every folder: the save runs as nobody, whose file it is
    // in a folder that is root's, with a data folder of its own.
    const QString nobodyData = Path("nobody-data");
    ASSERT_TRUE(QDir().mkdir(nobodyData));
    for (const QString& owned : {path, nobodyData}) {
        ASSERT_EQ(::chown(QFile::encodeName(owned).constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const int rc = quillo::testing::RunAsNobody([&] {
        qputenv("XDG_DATA_HOME", QFile::encodeName(nobodyData));
        try {
            quillo::document::TDocument document;
            document.Load(QStringLiteral("new old text\r\n"));
            quillo::document::EncodeDocument(document, path, 932);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(ReadBytes(path), QByteArray("new old text\r\n"));
    EXPECT_EQ(StatOf(path).st_uid, 65534u);
    EXPECT_EQ(QDir(sub).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.txt"});
}

TEST_F(FaultSaveTest, AFullDiskSaysSoAndLeavesTheFileWhole) {
    if (!IsRoot()) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const QString disk = Path("small");
    ASSERT_TRUE(QDir().mkdir(disk));
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=512k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    const QString path = disk + QStringLiteral("/doc.txt");
    const QByteArray old(100 * 1024, 'o');
    WriteBytes(path, old);
    WriteBytes(disk + QStringLiteral("/filler"), QByteArray(300 * 1024, 'f'));
    Open(path);
    Memo(*form).SetSelStart(0);
    Memo(*form).SetSelText(QString(300 * 1024, u'n')); // as a paste
    ASSERT_TRUE(Memo(*form).Modified());
    const QString message = QStringLiteral("ファイルは変更されていません");

    // Replaced by rename: the new file cannot be completed.
    Blocked([&] { form->FileSave1Execute(); });
    EXPECT_TRUE(LastError().contains(QStringLiteral("ディスクがいっぱいです")))
        << LastError().toStdString();
    EXPECT_TRUE(LastError().contains(message)) << LastError().toStdString();
    EXPECT_TRUE(ReadBytes(path) == old);
    EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // Written in place (a second link): the old content is put back.
    ASSERT_EQ(::link(QFile::encodeName(path).constData(),
                     QFile::encodeName(disk + QStringLiteral("/link.txt")).constData()),
              0);
    prompts.Errors.clear();
    Blocked([&] { form->FileSave1Execute(); });
    EXPECT_TRUE(LastError().contains(QStringLiteral("ディスクがいっぱいです")))
        << LastError().toStdString();
    EXPECT_TRUE(LastError().contains(message)) << LastError().toStdString();
    EXPECT_TRUE(ReadBytes(path) == old);
    EXPECT_TRUE(ReadBytes(disk + QStringLiteral("/link.txt")) == old);
    EXPECT_TRUE(Memo(*form).Modified());
    EXPECT_FALSE(SafetyCopiesLeft());
    ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
}

TEST_F(FaultSaveTest, SocketsAndFoldersAreRefusedWithAMessage) {
    const QString socketPath = Path("sock");
    const quillo::testing::TUnixSocket socket(socketPath);
    ASSERT_TRUE(socket.Bound());
    Type(QStringLiteral("text"));
    Blocked([&] { SaveAs(socketPath); });
    EXPECT_TRUE(LastError().contains(QStringLiteral("ソケットです"))) << LastError().toStdString();
    EXPECT_TRUE(S_ISSOCK(StatOf(socketPath).st_mode));

    const QString folder = Path("folder");
    ASSERT_TRUE(QDir().mkdir(folder));
    Blocked([&] { SaveAs(folder); });
    EXPECT_TRUE(LastError().contains(QStringLiteral("フォルダです"))) << LastError().toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(Memo(*form).Modified());
}
