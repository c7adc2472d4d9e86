#include "codepage/codepage.h"

#include <gtest/gtest.h>

namespace quillo::codepage {
namespace {

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

// "aあ\r\n漢" in every code, then a character no Japanese code holds.
const QString kText = QString::fromUtf8("a\xE3\x81\x82\r\n\xE6\xBC\xA2");

TEST(EncodeDocument, WritesExactBytesPerCode) {
    EXPECT_EQ(EncodeDocument(kText, 932).bytes, hex("6182a00d0a8abf"));
    EXPECT_EQ(EncodeDocument(kText, 0).bytes, hex("6182a00d0a8abf"));
    EXPECT_EQ(EncodeDocument(kText, 51932).bytes, hex("61a4a20d0ab4c1"));
    EXPECT_EQ(EncodeDocument(kText, 65001).bytes, hex("efbbbf61e381820d0ae6bca2"));
    EXPECT_EQ(EncodeDocument(kText, 1200).bytes, hex("fffe610042300d000a00226f"));
    EXPECT_EQ(EncodeDocument(kText, 1201).bytes, hex("feff00613042000d000a6f22"));
}

TEST(EncodeDocument, EmptyTextGetsOnlyTheMark) {
    EXPECT_EQ(EncodeDocument(u"", 932).bytes, QByteArray());
    EXPECT_EQ(EncodeDocument(u"", 51932).bytes, QByteArray());
    EXPECT_EQ(EncodeDocument(u"", 65001).bytes, hex("efbbbf"));
    EXPECT_EQ(EncodeDocument(u"", 1200).bytes, hex("fffe"));
    EXPECT_EQ(EncodeDocument(u"", 1201).bytes, hex("feff"));
}

TEST(EncodeDocument, CharactersTheCodeLacksBecomeItsDefaultCharacter) {
    // U+00E9, U+AC00 (Hangul) and U+1F600 (a pair) have no Shift-JIS or EUC-JP form.
    const QString text = QString::fromUtf8("x\xC3\xA9\xEA\xB0\x80\xF0\x9F\x98\x80y");
    EncodedDocument sjis = EncodeDocument(text, 932);
    EXPECT_EQ(sjis.bytes, QByteArray("x???y"));
    EXPECT_EQ(sjis.substituted, 3);
    EncodedDocument euc = EncodeDocument(text, 51932);
    EXPECT_EQ(euc.bytes, QByteArray("x???y"));
    EXPECT_EQ(euc.substituted, 3);
    EncodedDocument utf8 = EncodeDocument(text, 65001);
    EXPECT_EQ(utf8.bytes, hex("efbbbf78c3a9eab080f09f988079"));
    EXPECT_EQ(utf8.substituted, 0);
}

TEST(EncodeDocument, WindowsMappingsOf51932) {
    // Full-width tilde, the NEC row 13 and an NEC-selected IBM kanji; half-width kana.
    const QString text = QString::fromUtf8("\xEF\xBD\x9E\xE2\x91\xA0\xE7\xBA\x8A\xEF\xBD\xB1");
    EXPECT_EQ(EncodeDocument(text, 51932).bytes, hex("a1c1ada1f9a18eb1"));
    EXPECT_EQ(EncodeDocument(text, 932).bytes, hex("81608740fa5cb1"));
}

TEST(EncodeDocument, LoneSurrogatesOfBadBytesAreWrittenBackAsBytes) {
    const QString text = QStringLiteral("a") + QChar(0xDC81) + QChar(0xDCFF) + QChar(u'b');
    EXPECT_EQ(EncodeDocument(text, 932).bytes, hex("6181ff62"));
    EXPECT_EQ(EncodeDocument(text, 51932).bytes, hex("6181ff62"));
    EXPECT_EQ(EncodeDocument(text, 65001).bytes, hex("efbbbf6181ff62"));
    // UTF-16 keeps the surrogate itself.
    EXPECT_EQ(EncodeDocument(text, 1200).bytes, hex("fffe610081dcffdc6200"));
    // Other lone surrogates are not bytes: default character.
    const QString other = QString(QChar(0xDE00)) + QChar(0xD800); // reversed: no pair
    EXPECT_EQ(EncodeDocument(other, 932).bytes, QByteArray("??"));
    EXPECT_EQ(EncodeDocument(other, 65001).bytes, hex("efbbbfefbfbdefbfbd"));
}

TEST(EncodeDocument, NulIsWrittenInEveryCode) {
    const QString text(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    EXPECT_EQ(EncodeDocument(text, 932).bytes, QByteArray("a\0b", 3));
    EXPECT_EQ(EncodeDocument(text, 65001).bytes, QByteArray("\xEF\xBB\xBF"
                                                            "a\0b",
                                                            6));
    EXPECT_EQ(EncodeDocument(text, 1201).bytes, hex("feff006100000062"));
}

TEST(EncodeDocument, CodesWithoutWriterAreRefused) {
    for (int code : {12000, 12001, 1252, 20127, 50220, 28591}) {
        EXPECT_FALSE(HasDocumentWriter(code)) << code;
        EXPECT_THROW(EncodeDocument(u"a", code), ECodePageError) << code;
        EXPECT_TRUE(HasDocumentWriter(SuggestedWriterCode(code))) << code;
    }
    for (int code : {0, 932, 51932, 65001, 1200, 1201}) {
        EXPECT_TRUE(HasDocumentWriter(code)) << code;
    }
    EXPECT_EQ(SuggestedWriterCode(12000), 1200);
    EXPECT_EQ(SuggestedWriterCode(12001), 1201);
    EXPECT_EQ(SuggestedWriterCode(1252), 932);
    EXPECT_EQ(SuggestedWriterCode(0), 932);
    EXPECT_EQ(SuggestedWriterCode(51932), 51932);
}

} // namespace
} // namespace quillo::codepage
