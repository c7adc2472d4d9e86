#include "platform/ReadableFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using quillo::platform::EUnreadableFile;
using quillo::platform::OpenRegularFile;

namespace {

QString RefusalOf(const QString& path) {
    QFile file;
    try {
        OpenRegularFile(path, file);
    } catch (const EUnreadableFile& e) {
        EXPECT_FALSE(file.isOpen());
        return e.Reason();
    }
    return {};
}

} // namespace

TEST(ReadableFile, ARegularFileOpensWithItsSize) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("twelve bytes");
    out.close();
    QFile file;
    EXPECT_EQ(OpenRegularFile(path, file), 12);
    EXPECT_EQ(file.readAll(), QByteArray("twelve bytes"));
}

TEST(ReadableFile, WhatIsNoFileIsRefusedWithoutWaiting) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("zero-link"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), link));

    QElapsedTimer clock;
    clock.start();
    // A FIFO with no writer would block an ordinary open for ever.
    EXPECT_TRUE(RefusalOf(fifo).contains(QStringLiteral("名前付きパイプ")));
    EXPECT_TRUE(RefusalOf(QStringLiteral("/dev/zero")).contains(QStringLiteral("デバイス")));
    EXPECT_TRUE(RefusalOf(link).contains(QStringLiteral("デバイス")));
    EXPECT_TRUE(RefusalOf(dir.path()).contains(QStringLiteral("フォルダ")));
    EXPECT_TRUE(RefusalOf(dir.filePath(QStringLiteral("missing")))
                    .contains(QStringLiteral("見つかりません")));
    EXPECT_LT(clock.elapsed(), 1000);
}
