#include "codepage/DocumentWriter.h"
#include "codepage/codepage.h"
#include "document/Document.h"
#include "document/DocumentFile.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>

namespace {

using quillo::document::EFileError;
using quillo::document::TDocument;
namespace codepage = quillo::codepage;

constexpr int kWritableCodes[] = {0, 932, 51932, 65001, 1200, 1201};

using quillo::testing::FileSizeLimit;
using quillo::testing::ReadBytes;
using quillo::testing::WriteBytes;

// Longer than two of the save's chunks, so that both threads and the slots
// take part, with everything the writers treat apart scattered through it.
QString LongAwkwardText() {
    const QString pieces[] = {
        QStringLiteral("日本語のテキスト ascii words 123\r\n"),
        QStringLiteral("ｶﾅ①纊～"),
        QString(QChar(0xD83D)) + QChar(0xDE00), // a pair
        QString(QChar(0xDC81)),                 // a byte the reader could not read
        QString(QChar(0xD800)),                 // a lone high surrogate
        QString(QChar(0xAC00)),                 // in no Japanese code
        QString(QChar(0)),
    };
    std::mt19937 rng(11);
    QString text;
    const auto target = static_cast<qsizetype>(2 * codepage::kEncodeChunkUnits + 12345);
    while (text.size() < target) {
        text += pieces[rng() % std::size(pieces)];
    }
    return text;
}

class DocumentSaveTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    QTemporaryDir dir;
};

TEST_F(DocumentSaveTest, SavedBytesAreThoseOfTheWholeTextInEveryCode) {
    TDocument memo;
    memo.Load(LongAwkwardText());
    // An edit in the middle leaves the buffer's gap there; the save must see
    // the text as it reads, not as it is stored.
    memo.Replace(1000, 0, QStringLiteral("挿入"), false, {}, std::nullopt);
    const QString text = memo.View().toString();
    for (int code : kWritableCodes) {
        const QString path = Path("saved.txt");
        quillo::document::EncodeDocument(memo, path, code);
        const QByteArray expected = codepage::EncodeDocument(text, code).bytes;
        const QByteArray got = ReadBytes(path);
        ASSERT_EQ(got.size(), expected.size()) << code;
        EXPECT_TRUE(got == expected) << code;
    }
}

TEST_F(DocumentSaveTest, ASaveReplacesTheOldFileWholeAndLeavesNothingElse) {
    const QString path = Path("doc.txt");
    WriteBytes(path, QByteArray(100000, 'x'));
    TDocument memo;
    memo.Load(QStringLiteral("short"));
    quillo::document::EncodeDocument(memo, path, 932);
    EXPECT_EQ(ReadBytes(path), QByteArray("short"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("doc.txt")});
}

TEST_F(DocumentSaveTest, EmptyDocumentIsWrittenAsItsMarkAlone) {
    TDocument memo;
    const QString path = Path("empty.txt");
    WriteBytes(path, "old");
    quillo::document::EncodeDocument(memo, path, 65001);
    EXPECT_EQ(ReadBytes(path), QByteArray("\xEF\xBB\xBF"));
    quillo::document::EncodeDocument(memo, path, 932);
    EXPECT_EQ(ReadBytes(path), QByteArray());
}

TEST_F(DocumentSaveTest, ACodeWithoutWriterLeavesTheOldFileAndNoTemporaryFile) {
    const QString path = Path("doc.txt");
    WriteBytes(path, "old contents");
    TDocument memo;
    memo.Load(QStringLiteral("new"));
    EXPECT_THROW(quillo::document::EncodeDocument(memo, path, 12000), codepage::ECodePageError);
    EXPECT_EQ(ReadBytes(path), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("doc.txt")});
}

TEST_F(DocumentSaveTest, AMissingFolderIsReportedWithThePath) {
    TDocument memo;
    memo.Load(QStringLiteral("text"));
    const QString path = Path("no-such-folder/doc.txt");
    try {
        quillo::document::EncodeDocument(memo, path, 65001);
        FAIL() << "no error for a missing folder";
    } catch (const EFileError& e) {
        const QString message = QString::fromStdString(e.what());
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << e.what();
        EXPECT_TRUE(message.contains(QStringLiteral("作成できません"))) << e.what();
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DocumentSaveTest, AWriteFailingPartWayKeepsTheOldFileWhole) {
    const QString path = Path("doc.txt");
    const QByteArray old(200000, 'o');
    WriteBytes(path, old);
    TDocument memo;
    memo.Load(LongAwkwardText());
    for (int code : {932, 65001}) {
        std::string message;
        {
            const FileSizeLimit limit(1 << 20); // the new file stops at 1 MB
            ASSERT_TRUE(limit.ok());
            try {
                quillo::document::EncodeDocument(memo, path, code);
            } catch (const EFileError& e) {
                message = e.what();
            }
        }
        EXPECT_TRUE(QString::fromStdString(message).contains(QStringLiteral("書き込めません")))
            << code << ": " << message;
        EXPECT_TRUE(ReadBytes(path) == old) << code;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("doc.txt")})
            << code;
    }
}

TEST_F(DocumentSaveTest, TheOldFilesPermissionsAreKept) {
    const QString path = Path("script.txt");
    WriteBytes(path, "old");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, mode));
    TDocument memo;
    memo.Load(QStringLiteral("new"));
    quillo::document::EncodeDocument(memo, path, 932);
    EXPECT_EQ(ReadBytes(path), QByteArray("new"));
    EXPECT_EQ(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
              mode);
}

} // namespace
