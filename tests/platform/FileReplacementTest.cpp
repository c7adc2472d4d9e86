#include "platform/FileReplacement.h"
#include "support/FileBytes.h"
#include "support/UnixSocket.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using quillo::platform::EWriteError;
using quillo::platform::TByteProducer;
using quillo::platform::TByteSink;
using quillo::platform::TWriteOptions;
using quillo::platform::TWriteWay;
using quillo::platform::WriteFileSafely;
using quillo::testing::ReadBytes;
using quillo::testing::WriteBytes;

namespace {

TByteProducer Bytes(QByteArray bytes) {
    return [bytes](const TByteSink& sink) {
        return sink(bytes);
    };
}

// Hands over half of its bytes, then fails as an encoder might.
TByteProducer Throwing(QByteArray bytes) {
    return [bytes](const TByteSink& sink) -> bool {
        sink(QByteArrayView(bytes).first(bytes.size() / 2));
        throw std::runtime_error("encoder failed");
    };
}

struct stat StatOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

class FileReplacementTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    TWriteOptions Options() const {
        TWriteOptions options;
        options.SafetyFolder = safety.path();
        return options;
    }
    QStringList Entries() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    }
    bool NoSafetyCopyLeft() const {
        return QDir(safety.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    QTemporaryDir safety;
};

} // namespace

TEST_F(FileReplacementTest, ANewFileTakesTheUmasksMode) {
    const mode_t mask = ::umask(022);
    const TWriteWay way = WriteFileSafely(Path("new.txt"), Bytes("text"), Options());
    ::umask(mask);
    EXPECT_EQ(way, TWriteWay::Created);
    EXPECT_EQ(ReadBytes(Path("new.txt")), QByteArray("text"));
    EXPECT_EQ(StatOf(Path("new.txt")).st_mode & 07777, 0644u);
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("new.txt")});
}

TEST_F(FileReplacementTest, ALinkStaysALinkAndItsFileGetsTheText) {
    WriteBytes(Path("real.txt"), "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real.txt"), Path("link.txt")));
    EXPECT_EQ(WriteFileSafely(Path("link.txt"), Bytes("new"), Options()), TWriteWay::Replaced);
    EXPECT_TRUE(QFileInfo(Path("link.txt")).isSymLink());
    EXPECT_EQ(ReadBytes(Path("real.txt")), QByteArray("new"));

    // A dangling link names the file to make.
    ASSERT_TRUE(QFile::link(QStringLiteral("later.txt"), Path("dangling.txt")));
    EXPECT_EQ(WriteFileSafely(Path("dangling.txt"), Bytes("made"), Options()), TWriteWay::Created);
    EXPECT_TRUE(QFileInfo(Path("dangling.txt")).isSymLink());
    EXPECT_EQ(ReadBytes(Path("later.txt")), QByteArray("made"));
}

TEST_F(FileReplacementTest, AFailingProducerLeavesTheOldFileAndNothingElse) {
    WriteBytes(Path("doc.txt"), "old contents");
    EXPECT_THROW(WriteFileSafely(Path("doc.txt"), Throwing("new contents"), Options()),
                 std::runtime_error);
    EXPECT_EQ(ReadBytes(Path("doc.txt")), QByteArray("old contents"));
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("doc.txt")});

    // Written in place (a second link): the old content is put back.
    ASSERT_EQ(::link(QFile::encodeName(Path("doc.txt")).constData(),
                     QFile::encodeName(Path("other.txt")).constData()),
              0);
    EXPECT_THROW(WriteFileSafely(Path("doc.txt"), Throwing("a much longer new content"), Options()),
                 std::runtime_error);
    EXPECT_EQ(ReadBytes(Path("other.txt")), QByteArray("old contents"));
    EXPECT_TRUE(NoSafetyCopyLeft());
}

TEST_F(FileReplacementTest, InPlaceWritesShortenAndLengthenTheFile) {
    WriteBytes(Path("doc.txt"), "a rather long old content");
    ASSERT_EQ(::link(QFile::encodeName(Path("doc.txt")).constData(),
                     QFile::encodeName(Path("other.txt")).constData()),
              0);
    EXPECT_EQ(WriteFileSafely(Path("doc.txt"), Bytes("short"), Options()), TWriteWay::InPlace);
    EXPECT_EQ(ReadBytes(Path("other.txt")), QByteArray("short"));
    EXPECT_EQ(WriteFileSafely(Path("other.txt"), Bytes(QByteArray(100000, 'x')), Options()),
              TWriteWay::InPlace);
    EXPECT_EQ(ReadBytes(Path("doc.txt")), QByteArray(100000, 'x'));
    EXPECT_TRUE(NoSafetyCopyLeft());
}

TEST_F(FileReplacementTest, FoldersSocketsAndReadOnlyFilesAreRefusedUntouched) {
    const auto stageOf = [&](const QString& path, const TWriteOptions& options) {
        try {
            WriteFileSafely(path, Bytes("new"), options);
        } catch (const EWriteError& e) {
            return std::optional(e.Stage());
        }
        return std::optional<EWriteError::TStage>();
    };
    EXPECT_EQ(stageOf(dir.path(), Options()), EWriteError::TStage::Refused);

    const QString socketPath = Path("socket");
    const quillo::testing::TUnixSocket socket(socketPath);
    ASSERT_TRUE(socket.Bound());
    EXPECT_EQ(stageOf(socketPath, Options()), EWriteError::TStage::Refused);
    EXPECT_TRUE(S_ISSOCK(StatOf(socketPath).st_mode));

    WriteBytes(Path("ro.txt"), "old");
    ASSERT_TRUE(QFile::setPermissions(Path("ro.txt"), QFile::ReadOwner | QFile::ReadGroup));
    EXPECT_TRUE(quillo::platform::InspectWriteTarget(Path("ro.txt")).ReadOnly);
    EXPECT_EQ(stageOf(Path("ro.txt"), Options()), EWriteError::TStage::Refused);
    EXPECT_EQ(ReadBytes(Path("ro.txt")), QByteArray("old"));
    TWriteOptions agreed = Options();
    agreed.WriteReadOnly = true;
    EXPECT_EQ(stageOf(Path("ro.txt"), agreed), std::nullopt);
    EXPECT_EQ(ReadBytes(Path("ro.txt")), QByteArray("new"));
    EXPECT_EQ(StatOf(Path("ro.txt")).st_mode & 07777, 0440u);
}

TEST_F(FileReplacementTest, AFifoWithoutReaderFailsAtOnce) {
    const QString fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    try {
        WriteFileSafely(fifo, Bytes("lost"), Options());
        FAIL() << "a FIFO nobody reads took the bytes";
    } catch (const EWriteError& e) {
        EXPECT_TRUE(e.Reason().contains(QStringLiteral("相手がいません"))) << e.what();
    }
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
}
