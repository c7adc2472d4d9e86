#include "platform/FileNames.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using quillo::platform::DecodeFileName;
using quillo::platform::EncodeFileName;

TEST(FileNames, Utf8NamesReadAsQtReadsThem) {
    for (const char* name : {"plain.txt", "日本語のファイル.txt", "emoji 😀.txt", ""}) {
        const QByteArray bytes(name);
        EXPECT_EQ(DecodeFileName(bytes), QString::fromUtf8(bytes)) << name;
        EXPECT_EQ(EncodeFileName(QString::fromUtf8(bytes)), bytes) << name;
    }
}

TEST(FileNames, AnyBytesComeBackExactly) {
    // Shift-JIS, EUC-JP, Latin-1, cut and overlong UTF-8, encoded surrogates,
    // and a pair whose low half lies where escaped bytes lie (U+10080).
    const QByteArray samples[] = {
        QByteArray("\x93\xfa\x96\x7b\x8c\xea.txt"),
        QByteArray("\xc6\xfc\xcb\xdc"),
        QByteArray("caf\xe9"),
        QByteArray("\xe6\x97"),
        QByteArray("\xc0\xaf\xe0\x80\xaf"),
        QByteArray("\xed\xa0\x80\xed\xb0\x80"),
        QByteArray("\xf0\x90\x82\x80\x80\xff"),
        QByteArray("\xf4\x90\x80\x80"),
    };
    for (const QByteArray& bytes : samples) {
        const QString name = DecodeFileName(bytes);
        EXPECT_EQ(EncodeFileName(name), bytes) << bytes.toHex().constData();
    }
    EXPECT_EQ(DecodeFileName("caf\xe9"), QStringLiteral("caf") + QChar(0xDCE9));

    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(int(rng() % 24), '\0');
        for (char& c : bytes) {
            // Mostly high bytes, where UTF-8 can go wrong.
            c = static_cast<char>(rng() % 4 == 0 ? 0x20 + rng() % 0x60 : 0x80 + rng() % 0x80);
        }
        ASSERT_EQ(EncodeFileName(DecodeFileName(bytes)), bytes) << bytes.toHex().constData();
    }
}

TEST(FileNames, ANameInNoUtf8IsFoundByItsBytes) {
    QTemporaryDir dir;
    const QByteArray bytes = QFile::encodeName(dir.path()) + "/\x93\xfa\x96\x7b\x8c\xea.txt";
    FILE* f = std::fopen(bytes.constData(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const QString name = DecodeFileName(bytes);
    EXPECT_FALSE(QFile::exists(QFile::decodeName(bytes))) << "Qt's own decoding loses the name";
    EXPECT_TRUE(quillo::platform::PathExists(name));
    EXPECT_FALSE(quillo::platform::IsFolder(name));
    EXPECT_TRUE(quillo::platform::IsFolder(dir.path()));
    std::remove(bytes.constData()); // Qt could not remove it by its name
}
