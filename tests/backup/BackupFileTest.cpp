#include "backup/BackupFile.h"
#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string_view>

using quillo::backup::EBackupError;
using quillo::backup::ReadBackupFile;
using quillo::backup::WriteBackupFile;

namespace {

using quillo::testing::ReadBytes;
using quillo::testing::WriteBytes;

class BackupFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path() const { return dir.filePath(QStringLiteral("BackupFile1.lftmp")); }
};

} // namespace

TEST_F(BackupFileTest, WrittenAsUtf16LeWithMark) {
    WriteBackupFile(Path(), u"aあ\r\n");
    EXPECT_EQ(ReadBytes(Path()), QByteArray("\xFF\xFE"
                                            "a\0"
                                            "\x42\x30"
                                            "\r\0\n\0",
                                            10));
}

TEST_F(BackupFileTest, EveryUnitSurvivesTheRoundTrip) {
    // Outside Shift-JIS, an unreadable byte kept as U+DC00 + byte, NUL, and a
    // text that starts with NUL (FF FE 00 00 also marks UTF-32).
    const QString samples[] = {
        QStringLiteral("한국어 😀 €\r\nĀ"),
        QString(QChar(0xDC81)) + QStringLiteral("x"),
        QString(QChar(0)) + QStringLiteral("after NUL") + QString(QChar(0)),
        QString(),
    };
    for (const QString& text : samples) {
        WriteBackupFile(Path(), text);
        const auto loaded = ReadBackupFile(Path());
        EXPECT_EQ(loaded.text, text);
        EXPECT_EQ(loaded.badBytes, 0);
    }
}

TEST_F(BackupFileTest, OldBackupWithoutMarkIsShiftJis) {
    WriteBytes(Path(), QByteArray("\x93\xFA\x96\x7B\x8C\xEA\r\nabc"));
    EXPECT_EQ(ReadBackupFile(Path()).text, QStringLiteral("日本語\r\nabc"));
}

TEST_F(BackupFileTest, OldBackupStartingWithUtf8MarkBytesStaysShiftJis) {
    // Read as a UTF-8 mark this would be just "a".
    WriteBytes(Path(), QByteArray("\xEF\xBB\xBF"
                                  "a"));
    const QString text = ReadBackupFile(Path()).text;
    ASSERT_GE(text.size(), 3);
    EXPECT_EQ(text.right(2), QString(QChar(0xFF7F)) + QLatin1Char('a')); // ｿa
}

TEST_F(BackupFileTest, TruncatedUtf16KeepsTheOddByte) {
    WriteBytes(Path(), QByteArray("\xFF\xFE"
                                  "a\0"
                                  "b",
                                  5));
    const auto loaded = ReadBackupFile(Path());
    EXPECT_EQ(loaded.text, QStringLiteral("a") + QChar(0xDC62));
    EXPECT_EQ(loaded.badBytes, 1);
}

TEST_F(BackupFileTest, ReplacesTheFileRatherThanRewritingIt) {
    WriteBackupFile(Path(), u"first backup");
    QFile old(Path());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));

    WriteBackupFile(Path(), u"second");
    // A rewrite in place would have truncated what the old handle sees.
    QByteArray first("\xFF\xFE");
    for (const char c : std::string_view("first backup")) {
        first.append(c).append('\0');
    }
    EXPECT_EQ(old.readAll(), first);
    EXPECT_EQ(ReadBackupFile(Path()).text, QStringLiteral("second"));
}

TEST_F(BackupFileTest, WriteFailuresAreReported) {
    WriteBackupFile(Path(), u"good");
    // A folder in the way, and a folder that is not there.
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    EXPECT_THROW(WriteBackupFile(blocked, u"new"), EBackupError);
    EXPECT_THROW(WriteBackupFile(dir.filePath(QStringLiteral("no/such/folder/x")), u"new"),
                 EBackupError);
    EXPECT_EQ(ReadBackupFile(Path()).text, QStringLiteral("good"));
}

TEST_F(BackupFileTest, MissingBackupIsAnError) {
    EXPECT_THROW(ReadBackupFile(Path()), EBackupError);
}
