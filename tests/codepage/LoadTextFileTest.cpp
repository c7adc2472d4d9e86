#include "codepage/JapaneseTables.h"
#include "codepage/codepage.h"

#include <gtest/gtest.h>

namespace quillo::codepage {
namespace {

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

TEST(LoadTextFile, EveryMarkSetsTheCodeAndIsSkipped) {
    struct Case {
        const char* bytes;
        int code;
    };
    const Case cases[] = {
        {"efbbbf61e38182", 65001},
        {"fffe61004230", 1200},
        {"feff00613042", 1201},
        {"fffe00006100000042300000", 12000},
        {"0000feff0000006100003042", 12001},
    };
    for (const Case& c : cases) {
        for (int requested : {-1, 932, 51932, 65001, 1200, 1201}) {
            const LoadedText loaded = LoadTextFile(hex(c.bytes), requested);
            EXPECT_EQ(loaded.codePage, c.code) << c.bytes << " requested " << requested;
            EXPECT_EQ(loaded.text, QString::fromUtf8("a\xE3\x81\x82")) << c.bytes;
            EXPECT_EQ(loaded.badBytes, 0);
        }
    }
}

TEST(LoadTextFile, ShortFilesDoNotMatchLongerMarks) {
    EXPECT_EQ(LoadTextFile(hex("efbb"), 932).codePage, 932);
    EXPECT_EQ(LoadTextFile(hex("fffe00"), 932).codePage, 1200); // FF FE, then an odd byte
    EXPECT_EQ(LoadTextFile(hex("fffe00"), 932).text, QString(QChar(0xDC00)));
}

TEST(LoadTextFile, EmptyFile) {
    for (int requested : {-1, 932, 51932, 65001, 1200, 1201}) {
        const LoadedText loaded = LoadTextFile(QByteArrayView(), requested);
        EXPECT_TRUE(loaded.text.isEmpty());
        EXPECT_EQ(loaded.codePage, requested < 0 ? 932 : requested);
    }
}

TEST(LoadTextFile, LineBreaksBecomeCrLf) {
    EXPECT_EQ(LoadTextFile("a\nb\n", 932).text, u"a\r\nb\r\n");
    EXPECT_EQ(LoadTextFile("a\rb\r", 932).text, u"a\r\nb\r\n");
    EXPECT_EQ(LoadTextFile("a\r\nb\n\rc\r\r\n", 65001).text, u"a\r\nb\r\n\r\nc\r\n\r\n");
    EXPECT_EQ(LoadTextFile(hex("61000a000d0062000d00"), 1200).text, u"a\r\n\r\nb\r\n");
    EXPECT_EQ(LoadTextFile(hex("0061000d000a0062000a"), 1201).text, u"a\r\nb\r\n");
    EXPECT_EQ(LoadTextFile(hex("a4a20aa4a20d"), 51932).text, u"あ\r\nあ\r\n");
    // Saved again, the breaks stay CR LF.
    EXPECT_EQ(EncodeDocument(LoadTextFile("a\nb", 932).text, 932).bytes, QByteArray("a\r\nb"));
}

TEST(LoadTextFile, DetectedWesternAndAsciiAreReadAsShiftJis) {
    // What a detector answers for text that is plain ASCII or Latin-1.
    EXPECT_EQ(LoadTextFile("plain text", 20127).codePage, 932);
    EXPECT_EQ(LoadTextFile("plain text", 20127).text, u"plain text");
    const LoadedText western = LoadTextFile(hex("636166e9"), 1252);
    EXPECT_EQ(western.codePage, 932);
    EXPECT_EQ(EncodeDocument(western.text, western.codePage).bytes, hex("636166e9"));
    EXPECT_EQ(LoadTextFile("plain text", -1).codePage, 932);
}

TEST(LoadTextFile, NulDoesNotCutTheText) {
    const QByteArray bytes("a\0b\0", 4);
    const LoadedText loaded = LoadTextFile(bytes, 932);
    EXPECT_EQ(loaded.text.size(), 4);
    EXPECT_EQ(EncodeDocument(loaded.text, 932).bytes, bytes);
    EXPECT_EQ(LoadTextFile(hex("fffe6100000062000000"), -1).text.size(), 4);
}

TEST(LoadTextFile, OtherDetectedCodesAreConverted) {
    const LoadedText cyrillic = LoadTextFile(hex("cff0e8e2e5f2"), 1251);
    EXPECT_EQ(cyrillic.codePage, 1251);
    EXPECT_EQ(cyrillic.text, QString::fromUtf8("Привет"));
    EXPECT_THROW(LoadTextFile("a", 99999), ECodePageError);
}

// Bytes no code can read survive open and save byte for byte, in every code
// that is not UTF-16.
TEST(LoadTextFile, BadBytesSurviveDecodeAndEncode) {
    const QByteArray cases[][2] = {
        {"932", hex("8140808182a0fdfeff85408a")},               // lone lead at the end too
        {"51932", hex("a4a28ff4a18ea0a9a1ff0aa1")},             // JIS X 0212, row 9, cut pair
        {"65001", hex("e381c0edb280f4908080c0afe38182ff0ae3")}, // cut, surrogate, overlong
    };
    for (const auto& c : cases) {
        const int code = c[0].toInt();
        const LoadedText loaded = LoadTextFile(c[1], code);
        EXPECT_GT(loaded.badBytes, 0) << code;
        QByteArray written = EncodeDocument(loaded.text, code).bytes;
        if (code == 65001) {
            written.remove(0, 3);
        }
        QByteArray expected = c[1];
        expected.replace("\n", "\r\n");
        EXPECT_EQ(written.toHex(), expected.toHex()) << code;
    }
}

// Every CP932 character 51932 can hold comes back from a 51932 round trip,
// and every 51932 double-byte code decodes to a character written back as it.
TEST(LoadTextFile, EucJpRoundTripOfCp932Characters) {
    const JapaneseTables& t = JapaneseTables::instance();
    QString all;
    for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
        const char16_t u = t.cp932Double(static_cast<std::uint16_t>(code));
        if (u != JapaneseTables::kNone && t.eucCode(u) != JapaneseTables::kNoCode) {
            all.append(QChar(u));
        }
    }
    for (char16_t u = 0xFF61; u <= 0xFF9F; ++u) {
        all.append(QChar(u));
    }
    ASSERT_GT(all.size(), 7000); // JIS X 0208, NEC row 13, NEC-selected IBM, kana
    const QByteArray euc = EncodeDocument(all, 51932).bytes;
    const LoadedText back = LoadTextFile(euc, 51932);
    EXPECT_EQ(back.badBytes, 0);
    EXPECT_EQ(back.text, all);

    // Only the user-defined area lacks a 51932 form.
    for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
        const char16_t u = t.cp932Double(static_cast<std::uint16_t>(code));
        if (u != JapaneseTables::kNone && t.eucCode(u) == JapaneseTables::kNoCode) {
            EXPECT_TRUE(u >= 0xE000 && u < 0xF900) << std::hex << code;
        }
    }
    // Windows' choices: A1C1 is the full-width tilde; IBM kanji go to rows 89 to 92.
    EXPECT_EQ(LoadTextFile(hex("a1c1a1c2a1dd"), 51932).text, u"～∥－");
    EXPECT_EQ(LoadTextFile(hex("f9a1"), 51932).text, u"纊");
    EXPECT_EQ(LoadTextFile(hex("8fb0a1"), 51932).badBytes, 1); // no JIS X 0212
}

} // namespace
} // namespace quillo::codepage
