#include "codepage/TextDecoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillo::codepage {
namespace {

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

// Decodes in chunks of every size and checks the result equals one whole decode:
// sequences cut by a chunk end and CR LF split across chunks.
void expectChunksMatchWhole(int code, const QByteArray& bytes) {
    TextDecoder whole(code, true);
    const QString expected =
        whole.decodeAll(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    for (qsizetype chunk = 1; chunk <= 5; ++chunk) {
        TextDecoder decoder(code, true);
        std::vector<char16_t> out(2 * static_cast<std::size_t>(bytes.size()) + 8);
        std::size_t produced = 0;
        qsizetype pos = 0;
        QByteArray pending;
        while (pos < bytes.size() || !pending.isEmpty()) {
            pending += bytes.mid(pos, chunk);
            pos += chunk;
            const bool final = pos >= bytes.size();
            const auto step =
                decoder.decode(pending.constData(), static_cast<std::size_t>(pending.size()), final,
                               out.data() + produced);
            produced += step.produced;
            pending.remove(0, static_cast<qsizetype>(step.consumed));
            if (final) {
                ASSERT_TRUE(pending.isEmpty());
            }
        }
        EXPECT_EQ(
            QString(reinterpret_cast<const QChar*>(out.data()), static_cast<qsizetype>(produced)),
            expected)
            << code << " chunk " << chunk;
        EXPECT_EQ(decoder.badBytes(), whole.badBytes());
    }
}

TEST(TextDecoder, ChunkedDecodingEqualsWholeDecoding) {
    expectChunksMatchWhole(932, hex("82a00d0a8abf0db1ff0a0a81"));
    expectChunksMatchWhole(51932, hex("a4a20d0ab4c18eb1ff0d0a8f"));
    expectChunksMatchWhole(65001, hex("e381820d0af09f9880e30a0dc3"));
    expectChunksMatchWhole(1200, hex("42300d000a003dd800de0d00"));
    expectChunksMatchWhole(1201, hex("30420d000a000d0061"));
    expectChunksMatchWhole(1251, hex("cff00d0ae80a"));
}

TEST(TextDecoder, MaxUnitsBoundsTheOutput) {
    const QByteArray lfs(100, '\n');
    TextDecoder d(932, true);
    EXPECT_EQ(d.decodeAll(lfs.constData(), 100).size(), 200);
    TextDecoder u(1200, true);
    const QByteArray units = hex("0a000a000d00");
    EXPECT_GE(u.maxUnits(units.constData(), 6), 6u);
    EXPECT_EQ(u.decodeAll(units.constData(), 6), u"\r\n\r\n\r\n");
}

} // namespace
} // namespace quillo::codepage
