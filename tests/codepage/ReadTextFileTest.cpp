#include "codepage/CodePageDetector.h"
#include "codepage/TextDecoder.h"
#include "codepage/TextFileReader.h"
#include "codepage/codepage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>

#include <random>
#include <vector>

namespace quillo::codepage {
namespace {

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

constexpr int kRequests[] = {-1, 932, 51932, 65001, 1200, 1201};

class ReadTextFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("f%1.txt").arg(++count_));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(f.write(bytes), bytes.size());
        return path;
    }

    // The streamed read of the bytes in chunks of `chunk` bytes gives what one
    // decode of the whole bytes gives.
    void expectSame(const QByteArray& bytes, int requested, std::size_t chunk) {
        const QString path = write(bytes);
        const LoadedText whole = LoadTextFile(bytes, requested);
        const LoadedText streamed = ReadTextFile(path, requested, chunk);
        ASSERT_EQ(streamed.codePage, whole.codePage)
            << "requested " << requested << ", chunk " << chunk;
        ASSERT_EQ(streamed.badBytes, whole.badBytes)
            << "requested " << requested << ", chunk " << chunk;
        ASSERT_EQ(streamed.text, whole.text) << "requested " << requested << ", chunk " << chunk;
    }

    void expectSameForSmallChunks(const QByteArray& bytes, int requested, std::size_t upTo = 13) {
        for (std::size_t chunk = 1; chunk <= upTo; ++chunk) {
            expectSame(bytes, requested, chunk);
        }
    }

private:
    QTemporaryDir dir_;
    int count_ = 0;
};

// Every code's awkward pieces (two-byte characters, sequences, surrogate pairs,
// CR LF, undecodable bytes) land on every chunk and thread boundary as the
// chunk size runs through the small sizes.
TEST_F(ReadTextFileTest, BoundariesOfEveryCode) {
    struct Case {
        int code;
        QByteArray bytes;
    };
    const Case cases[] = {
        {932, hex("82a00d0a8140610d0d0a0a80ff82a0310d8a9f0a8a0d82") + "ab\r\n\r" + hex("fd8140")},
        {51932, hex("a4a20d0aa1c10a8ea90d8ff4a10d0aa4") + "x\r" + hex("a4a20aa1ffa4a2")},
        {65001,
         hex("e38182f09f98800d0ae381c00d0d0aedb280e381") + "z\r" + hex("0ae38182f0908080c0af0ae3")},
        {1200, hex("42300d000a003dd800de0d000d000a0000dc4230") + hex("0a003dd800de0d")},
        {1201, hex("3042000d000ad83dde00000d000d000adc0030") + hex("000ad83dde00000d")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const QByteArray bytes = c.bytes.repeated(3);
        expectSameForSmallChunks(bytes, c.code, 23);
        EXPECT_GT(LoadTextFile(bytes, c.code).badBytes, 0); // the cases do hold bad bytes
    }
}

TEST_F(ReadTextFileTest, MarksWinAndAreSkipped) {
    const QByteArray body8 = hex("e38182e38184") + "\r\n" + hex("f09f9880");
    const QByteArray marked[] = {
        hex("efbbbf") + body8,
        hex("fffe") + hex("42300d000a003dd800de"),
        hex("feff") + hex("3042000d000ad83dde00"),
        hex("fffe00006100000042300000"),
        hex("0000feff0000006100003042"),
        hex("fffe00"), // a mark and an odd byte
    };
    for (const QByteArray& bytes : marked) {
        for (int requested : kRequests) {
            SCOPED_TRACE(bytes.toHex().toStdString());
            expectSameForSmallChunks(bytes, requested, 5);
        }
    }
}

TEST_F(ReadTextFileTest, EmptyAndOnlyLineBreaks) {
    for (int requested : kRequests) {
        expectSame({}, requested, 3);
        const LoadedText empty = ReadTextFile(write({}), requested, kReadChunkBytes);
        EXPECT_TRUE(empty.text.isEmpty());
        EXPECT_EQ(empty.codePage, requested < 0 ? 932 : requested);
    }
    const QByteArray breaks("\r\n\r\r\n\n\n\r\r\r\n");
    for (int requested : {-1, 932, 51932, 65001}) {
        expectSameForSmallChunks(breaks, requested, 6);
    }
    EXPECT_EQ(ReadTextFile(write(breaks), 932, 1).text, QStringLiteral("\r\n").repeated(8));
    // Twice as many units as bytes: more than the output is first sized for.
    for (std::size_t chunk : {std::size_t{64}, std::size_t{4096}, kReadChunkBytes}) {
        expectSame(QByteArray(100000, '\n'), -1, chunk);
        expectSame(QByteArray("\n\r").repeated(30000), 65001, chunk);
    }
    const QByteArray breaks16 = hex("0d000a000d000d000a000a000a000d000d00");
    expectSameForSmallChunks(breaks16, 1200, 6);
    expectSameForSmallChunks(hex("000d000a000d000d000a000a000a000d000d"), 1201, 6);
}

TEST_F(ReadTextFileTest, ErrorsNameTheFile) {
    const QString missing = write({}) + QStringLiteral(".gone");
    try {
        ReadTextFile(missing, -1);
        FAIL() << "a missing file was read";
    } catch (const ETextFileError& e) {
        const QString message = QString::fromStdString(e.what());
        EXPECT_TRUE(message.startsWith(QStringLiteral("ファイル ") + missing + " を開けません。"))
            << e.what();
    }
    QTemporaryDir folder;
    try {
        ReadTextFile(folder.path(), -1);
        FAIL() << "a folder was read";
    } catch (const ETextFileError& e) {
        EXPECT_EQ(QString::fromStdString(e.what()),
                  QStringLiteral("ファイル %1 を開けません。フォルダです。").arg(folder.path()));
    }
    EXPECT_THROW(ReadTextFile(write("abc"), 99999), ECodePageError);
}

// A device that fails after some bytes, as a disk or network file can.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QByteArray bytes, qint64 failAt) : bytes_(std::move(bytes)), failAt_(failAt) {}

protected:
    qint64 readData(char* data, qint64 max) override {
        if (pos_ >= failAt_) {
            setErrorString(QStringLiteral("入出力エラー"));
            return -1;
        }
        const qint64 n = std::min({max, failAt_ - pos_, bytes_.size() - pos_});
        std::memcpy(data, bytes_.constData() + pos_, static_cast<std::size_t>(n));
        pos_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 failAt_;
    qint64 pos_ = 0;
};

TEST_F(ReadTextFileTest, ReadFailureIsReportedNotTruncated) {
    const QByteArray bytes = QByteArray("line\n").repeated(40000); // past the first block
    for (qint64 failAt : {qint64{0}, qint64{100}, kDetectSampleBytes + 1, qint64{150000}}) {
        FailingDevice device(bytes, failAt);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        try {
            ReadTextDevice(device, QStringLiteral("/tmp/x.txt"), -1, 4096);
            FAIL() << "failed at " << failAt << " yet read";
        } catch (const ETextFileError& e) {
            EXPECT_EQ(QString::fromStdString(e.what()),
                      QStringLiteral("ファイル /tmp/x.txt を読み込めません。入出力エラー"));
        }
    }
}

// Detection sees the same first block as on the whole file, so a file whose
// first 64 KB are ASCII is Shift-JIS even though UTF-8 follows, and a
// sequence cut by the end of that block is still read whole.
TEST_F(ReadTextFileTest, DetectionJudgesTheSameFirstBlock) {
    const QByteArray utf8 = hex("e38182e38184e3818620e38186");
    for (qsizetype asciiBytes : {kDetectSampleBytes - 200, kDetectSampleBytes - 1,
                                 kDetectSampleBytes, kDetectSampleBytes + 1}) {
        QByteArray bytes(asciiBytes, 'a');
        bytes += utf8.repeated(50);
        const LoadedText whole = LoadTextFile(bytes, -1);
        expectSame(bytes, -1, 4096);
        expectSame(bytes, -1, 1021);
        expectSame(bytes, -1, kReadChunkBytes);
        if (asciiBytes >= kDetectSampleBytes) {
            EXPECT_EQ(whole.codePage, 932);
        } else if (asciiBytes < kDetectSampleBytes - 100) {
            EXPECT_EQ(whole.codePage, 65001);
        }
    }
    QByteArray sjis = QByteArray("x").repeated(kDetectSampleBytes - 1) + hex("82a082a2");
    expectSame(sjis, -1, 5);
    expectSame(sjis, 932, kReadChunkBytes);
}

// Other codes go through iconv, which cannot be cut (ISO-2022-JP keeps a shift
// state), so they are read on one thread with the same carry across chunks.
TEST_F(ReadTextFileTest, CodesThroughIconv) {
    const QByteArray jis("ab\x1b$B$\"$$\x1b(B\r\ncd\n\x1b$B$\"\x1b(Bz");
    expectSameForSmallChunks(jis, 50220, 9);
    EXPECT_EQ(ReadTextFile(write(jis), 50220, 2).text, u"abあい\r\ncd\r\nあz");
    expectSameForSmallChunks(hex("cff0e8e2e5f20d0ae8"), 1251, 5);
}

// Random bytes drawn mostly from the bytes that matter to each code.
TEST_F(ReadTextFileTest, RandomBytesInSmallChunks) {
    std::mt19937 rng(20261209);
    const unsigned char pool[] = {0x0D, 0x0A, 0x00, 'a',  0x81, 0x82, 0xA0, 0xA4, 0xE0,
                                  0xE3, 0xF0, 0x9F, 0x80, 0xBF, 0x8E, 0xA1, 0xFE, 0xFF,
                                  0xD8, 0xDC, 0x3D, 0x40, 0xFC, 0xED, 0xC2, 0x8F};
    for (int round = 0; round < 60; ++round) {
        QByteArray bytes;
        const int n = static_cast<int>(rng() % 200);
        for (int i = 0; i < n; ++i) {
            bytes += static_cast<char>(rng() % 4 == 0 ? rng() % 256 : pool[rng() % sizeof pool]);
        }
        for (int requested : kRequests) {
            expectSame(bytes, requested, 1 + rng() % 24);
        }
    }
}

// A realistic document over many default-sized and odd-sized chunks.
TEST_F(ReadTextFileTest, LargeDocumentOverManyChunks) {
    std::mt19937 rng(7);
    QString text;
    const char16_t pieces[][8] = {u"漢字",   u"かな", u"カナ", u"ｶﾅ",
                                  u"ascii ", u"\r\n", u"\n",   u"😀"};
    while (text.size() < 300000) {
        text += QStringView(pieces[rng() % std::size(pieces)]);
    }
    for (int code : {932, 51932, 65001, 1200, 1201}) {
        const QByteArray bytes = EncodeDocument(text, code).bytes;
        expectSame(bytes, -1, 65536 + 3);
        expectSame(bytes, code, 4093);
    }
}

// Each cut point keeps the decode of the two parts equal to one decode.
TEST(TextDecoderCutPoint, PartsDecodeAsTheWhole) {
    std::mt19937 rng(11);
    const unsigned char pool[] = {0x0D, 0x0A, 0x00, 'a',  0x81, 0x82, 0xA0, 0xA4, 0xE3,
                                  0xF0, 0x9F, 0x80, 0xBF, 0x8E, 0xFF, 0x30, 0x3F, 0xC2};
    int cuts = 0;
    for (int code : {932, 51932, 65001, 1200, 1201}) {
        for (int round = 0; round < 200; ++round) {
            std::string bytes;
            const int n = 2 + static_cast<int>(rng() % 40);
            for (int i = 0; i < n; ++i) {
                bytes += static_cast<char>(pool[rng() % sizeof pool]);
            }
            TextDecoder whole(code, true);
            const QString expected = whole.decodeAll(bytes.data(), bytes.size());
            TextDecoder probe(code, true);
            const std::size_t p = probe.cutPoint(bytes.data(), bytes.size(), rng() % bytes.size());
            if (p == 0) {
                continue;
            }
            ++cuts;
            ASSERT_LT(p, bytes.size());
            TextDecoder front(code, true);
            TextDecoder back(code, true);
            std::vector<char16_t> out(2 * bytes.size() + 4);
            const auto a = front.decode(bytes.data(), p, true, out.data());
            ASSERT_EQ(a.consumed, p) << code;
            back.startAtCut();
            const auto b =
                back.decode(bytes.data() + p, bytes.size() - p, true, out.data() + a.produced);
            EXPECT_EQ(QStringView(out.data(), static_cast<qsizetype>(a.produced + b.produced)),
                      expected)
                << code << " cut at " << p;
            EXPECT_EQ(front.badBytes() + back.badBytes(), whole.badBytes()) << code;
        }
    }
    EXPECT_GT(cuts, 500);
    // Codes that keep a shift state are never cut.
    EXPECT_EQ(TextDecoder(50220, true).cutPoint("ab\ncd\nef", 8, 4), 0u);
    // A CR LF pair is never cut apart.
    EXPECT_EQ(TextDecoder(932, true).cutPoint("ab\r\ncd", 6, 3), 4u);
}

} // namespace
} // namespace quillo::codepage

namespace quillo::codepage {
namespace {

// The decoders' fast runs (several bytes read at once) against the same decoder
// fed one byte at a time, which never enters them: Japanese text in each code
// with some of its bytes replaced at random.
TEST(TextDecoderRuns, MatchOneByteAtATime) {
    std::mt19937 rng(3);
    QString text;
    const char16_t pieces[][6] = {u"漢字", u"かな", u"ｶﾅ", u"ab1 ", u"\r\n", u"\n", u"\r", u"ー。"};
    while (text.size() < 3000) {
        text += QStringView(pieces[rng() % std::size(pieces)]);
    }
    for (int code : {932, 51932, 65001, 1200, 1201}) {
        const QByteArray clean = EncodeDocument(text, code).bytes;
        QString breaks = text;
        breaks.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        ASSERT_EQ(LoadTextFile(clean, code).text,
                  breaks.replace(QStringLiteral("\n"), QStringLiteral("\r\n")))
            << code;
        for (int round = 0; round < 20; ++round) {
            QByteArray bytes = clean;
            for (int k = static_cast<int>(rng() % 12); k > 0; --k) {
                bytes[static_cast<qsizetype>(rng() % bytes.size())] = static_cast<char>(rng());
            }
            TextDecoder whole(code, true);
            const QString expected =
                whole.decodeAll(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            TextDecoder slow(code, true);
            std::vector<char16_t> out(2 * static_cast<std::size_t>(bytes.size()) + 4);
            std::size_t produced = 0;
            std::size_t start = 0;
            for (qsizetype end = 1; end <= bytes.size(); ++end) {
                const auto step =
                    slow.decode(bytes.constData() + start, static_cast<std::size_t>(end) - start,
                                end == bytes.size(), out.data() + produced);
                produced += step.produced;
                start += step.consumed;
            }
            ASSERT_EQ(start, static_cast<std::size_t>(bytes.size())) << code;
            ASSERT_EQ(QStringView(out.data(), static_cast<qsizetype>(produced)), expected)
                << code << " round " << round;
            ASSERT_EQ(slow.badBytes(), whole.badBytes()) << code;
        }
    }
}

} // namespace
} // namespace quillo::codepage
