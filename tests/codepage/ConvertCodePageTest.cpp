#include "codepage/codepage.h"

#include <gtest/gtest.h>

namespace quillo::codepage {
namespace {

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

TEST(ConvertCodePage, ConvertsBetweenTheDocumentCodes) {
    const QByteArray sjis = hex("82a08abf0d0ab1"); // あ漢 CR LF ｱ
    const QByteArray euc = hex("a4a2b4c10d0a8eb1");
    const QByteArray utf8 = hex("e38182e6bca20d0aefbdb1");
    const QByteArray le = hex("4230226f0d000a0071ff");
    EXPECT_EQ(ConvertCodePage(932, 51932, sjis).bytes, euc);
    EXPECT_EQ(ConvertCodePage(51932, 65001, euc).bytes, utf8);
    EXPECT_EQ(ConvertCodePage(65001, 1200, utf8).bytes, le);
    EXPECT_EQ(ConvertCodePage(1200, 932, le).bytes, sjis);
    EXPECT_TRUE(ConvertCodePage(1200, 932, le).success);
    EXPECT_EQ(ConvertCodePage(932, 65001, "a\nb\rc").bytes, "a\nb\rc"); // breaks left alone
}

TEST(ConvertCodePage, FailsWithoutConverterAndOnEmptyOutput) {
    EXPECT_FALSE(ConvertCodePage(12345, 1200, "abc").success);
    EXPECT_TRUE(ConvertCodePage(12345, 1200, "abc").bytes.isEmpty());
    EXPECT_FALSE(ConvertCodePage(932, 12345, "abc").success);
    EXPECT_FALSE(ConvertCodePage(932, 1200, "").success);
}

TEST(ConvertCodePage, BadBytesPassThroughByteCodes) {
    const QByteArray bytes = hex("61ff8220");
    EXPECT_EQ(ConvertCodePage(932, 65001, bytes).bytes, bytes);
    EXPECT_EQ(ConvertCodePage(65001, 51932, bytes).bytes, bytes);
    EXPECT_EQ(ConvertCodePage(932, 1200, bytes).bytes, hex("6100ffdc82dc2000"));
    EXPECT_EQ(ConvertCodePage(28591, 1252, hex("e9")).bytes, hex("e9"));
}

} // namespace
} // namespace quillo::codepage
