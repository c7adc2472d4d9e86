#include "codepage/DocumentWriter.h"
#include "codepage/JapaneseTables.h"
#include "codepage/codepage.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <random>
#include <stdexcept>
#include <vector>

namespace quillo::codepage {
namespace {

constexpr int kWritableCodes[] = {0, 932, 51932, 65001, 1200, 1201};

// What the writers must give, one unit at a time and plainly, so that the
// fast paths have something independent to answer to.
EncodedDocument referenceDocument(QStringView text, int code) {
    const JapaneseTables& t = JapaneseTables::instance();
    EncodedDocument doc;
    QByteArray& b = doc.bytes;
    const auto* s = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    auto isHigh = [](char16_t u) {
        return u >= 0xD800 && u < 0xDC00;
    };
    auto isLow = [](char16_t u) {
        return u >= 0xDC00 && u < 0xE000;
    };
    auto put = [&b](unsigned byte) {
        b.append(static_cast<char>(byte));
    };
    if (code == 1200 || code == 1201) {
        const bool big = code == 1201;
        b = big ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
        for (qsizetype i = 0; i < n; ++i) {
            put(big ? s[i] >> 8 : s[i] & 0xFF);
            put(big ? s[i] & 0xFF : s[i] >> 8);
        }
        return doc;
    }
    if (code == 65001) {
        b = "\xEF\xBB\xBF";
    }
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        const bool pair = isHigh(u) && i + 1 < n && isLow(s[i + 1]);
        if (!pair && u >= 0xDC00 && u <= 0xDCFF) {
            put(u & 0xFF);
            continue;
        }
        if (code == 65001) {
            char32_t c = u;
            if (pair) {
                c = 0x10000 + ((u - 0xD800u) << 10) + (s[++i] - 0xDC00u);
            } else if (isHigh(u) || isLow(u)) {
                c = 0xFFFD;
                ++doc.substituted;
            }
            b.append(QString::fromUcs4(&c, 1).toUtf8());
            continue;
        }
        const std::uint16_t table = pair || isHigh(u) || isLow(u) ? JapaneseTables::kNoCode
                                    : code == 51932               ? t.eucCode(u)
                                                                  : t.cp932Code(u);
        i += pair ? 1 : 0;
        if (table == JapaneseTables::kNoCode) {
            put('?');
            ++doc.substituted;
        } else if (table < 0x100) {
            put(table);
        } else {
            put(table >> 8);
            put(table & 0xFF);
        }
    }
    return doc;
}

struct Streamed {
    QByteArray bytes;
    qsizetype substituted = 0;
    int pieces = 0;
};

Streamed streamDocument(QStringView text, int code, std::size_t chunkUnits) {
    DocumentWriter writer(text, code, chunkUnits);
    Streamed out;
    const bool complete = writer.write([&out](QByteArrayView bytes) {
        out.bytes.append(bytes);
        ++out.pieces;
        return true;
    });
    EXPECT_TRUE(complete);
    out.substituted = writer.substituted();
    return out;
}

// The streamed bytes and count are the whole-text writer's, and both are the
// plain reference's.
void expectSameEverywhere(const QString& text, int code, std::size_t chunkUnits) {
    const EncodedDocument whole = EncodeDocument(text, code);
    const EncodedDocument reference = referenceDocument(text, code);
    ASSERT_EQ(whole.bytes.toHex(), reference.bytes.toHex()) << "code " << code;
    ASSERT_EQ(whole.substituted, reference.substituted) << "code " << code;
    const Streamed streamed = streamDocument(text, code, chunkUnits);
    ASSERT_EQ(streamed.bytes.toHex(), whole.bytes.toHex())
        << "code " << code << ", chunk " << chunkUnits;
    ASSERT_EQ(streamed.substituted, whole.substituted)
        << "code " << code << ", chunk " << chunkUnits;
}

QString units(std::initializer_list<char16_t> list) {
    QString s;
    for (char16_t u : list) {
        s.append(QChar(u));
    }
    return s;
}

// Each piece the writers treat apart: ASCII, CR LF, NUL, two- and three-byte
// UTF-8, half-width kana, NEC and IBM rows, a pair, lone surrogates of both
// halves, bad bytes kept as U+DC00 + byte, characters Japanese codes lack.
const std::vector<QString>& pieces() {
    static const std::vector<QString> all = {
        QStringLiteral("a"),
        QStringLiteral("plain ascii words 0123"),
        QStringLiteral("\r\n"),
        units({0x0000}),
        units({0x00E9}),         // é: two bytes in UTF-8, none in Shift-JIS
        units({0x3042, 0x6F22}), // あ漢
        units({0xFF71, 0xFF9D}), // ｱﾝ
        units({0x2460, 0x7E8A}), // ①纊
        units({0xFF5E, 0x2225}), // ～∥
        units({0xAC00}),         // Hangul: no Japanese code holds it
        units({0xD83D, 0xDE00}), // a pair
        units({0xD800}),         // lone high
        units({0xDE00}),         // lone low, not a byte
        units({0xDC81}),         // bad byte 0x81
        units({0xDCFF}),         // bad byte 0xFF
        units({0xDC00}),         // bad byte 0x00
        units({0xFFFD, 0xFFFF}), // end of the BMP
        units({0x0080, 0x07FF, 0x0800}),
    };
    return all;
}

QString awkwardText() {
    QString text;
    for (const QString& piece : pieces()) {
        text += piece;
    }
    // Then every piece next to every other, so that each pair of kinds meets
    // at every offset of the four-unit fast paths.
    for (const QString& a : pieces()) {
        for (const QString& b : pieces()) {
            text += a + b;
        }
    }
    return text;
}

QString randomText(std::mt19937& rng, int length) {
    QString text;
    while (text.size() < length) {
        const std::uint32_t kind = rng() % 10;
        if (kind < 6) {
            text += pieces()[rng() % pieces().size()];
        } else if (kind < 8) {
            text.append(QChar(static_cast<char16_t>(0x4E00 + rng() % 0x5000))); // kanji
        } else {
            text.append(QChar(static_cast<char16_t>(rng() % 0x10000))); // anything at all
        }
    }
    return text;
}

TEST(DocumentWriter, MatchesTheWholeTextWriterForTinyChunks) {
    const QString text = awkwardText();
    for (int code : kWritableCodes) {
        for (std::size_t chunk : {1, 2, 3, 4, 5, 7, 8, 13, 64, 1000}) {
            expectSameEverywhere(text, code, chunk);
        }
    }
}

TEST(DocumentWriter, EveryPieceStraddlesEveryChunkEnd) {
    // The same pieces moved one unit further each time past a chunk end.
    for (int code : kWritableCodes) {
        for (const QString& piece : pieces()) {
            for (int shift = 0; shift < 9; ++shift) {
                const QString text = QString(shift, QChar(u'x')) + piece + QChar(u'y') + piece;
                for (std::size_t chunk : {1, 2, 3, 5, 8}) {
                    expectSameEverywhere(text, code, chunk);
                }
            }
        }
    }
}

TEST(DocumentWriter, EmptyTextGivesTheMarkAlone) {
    for (int code : kWritableCodes) {
        const Streamed streamed = streamDocument(QStringView(), code, 4);
        EXPECT_EQ(streamed.bytes, EncodeDocument(u"", code).bytes) << code;
        EXPECT_EQ(streamed.substituted, 0) << code;
        // Nothing but the mark is handed over (and nothing at all without one).
        EXPECT_EQ(streamed.pieces, streamed.bytes.isEmpty() ? 0 : 1) << code;
    }
}

TEST(DocumentWriter, RandomTextsMatch) {
    std::mt19937 rng(20261209);
    for (int round = 0; round < 60; ++round) {
        const QString text = randomText(rng, static_cast<int>(rng() % 3000));
        const std::size_t chunk = 1 + rng() % 97;
        for (int code : kWritableCodes) {
            expectSameEverywhere(text, code, chunk);
        }
    }
}

TEST(DocumentWriter, ManyChunksReuseTheSlotsInOrder) {
    // Far more chunks than slots, so that both threads take turns many times.
    std::mt19937 rng(7);
    const QString text = randomText(rng, 400'000);
    for (int code : kWritableCodes) {
        const Streamed streamed = streamDocument(text, code, 1500);
        const EncodedDocument whole = EncodeDocument(text, code);
        EXPECT_EQ(streamed.bytes, whole.bytes) << code;
        EXPECT_EQ(streamed.substituted, whole.substituted) << code;
        EXPECT_GT(streamed.pieces, 200) << code;
    }
}

TEST(DocumentWriter, SubstitutedCountsCharactersNotUnits) {
    // A pair is one character: one '?' and one count in the Japanese codes.
    const QString text = units({0xD83D, 0xDE00, 0xAC00, 0x3042});
    for (int code : {932, 51932}) {
        const Streamed streamed = streamDocument(text, code, 1);
        EXPECT_EQ(streamed.bytes.left(2), QByteArray("??")) << code;
        EXPECT_EQ(streamed.substituted, 2) << code;
    }
    EXPECT_EQ(streamDocument(text, 65001, 1).substituted, 0);
}

TEST(DocumentWriter, RefusedBytesStopTheWriting) {
    std::mt19937 rng(3);
    const QString text = randomText(rng, 50'000);
    for (int code : kWritableCodes) {
        for (int refuseAt : {1, 2, 5, 40}) {
            DocumentWriter writer(text, code, 300);
            int calls = 0;
            QByteArray got;
            const bool complete = writer.write([&](QByteArrayView bytes) {
                ++calls;
                got.append(bytes);
                return calls < refuseAt;
            });
            EXPECT_FALSE(complete) << code << " " << refuseAt;
            EXPECT_EQ(calls, refuseAt) << code << " " << refuseAt;
            // What was handed over is the start of the document, in order.
            EXPECT_TRUE(EncodeDocument(text, code).bytes.startsWith(got)) << code;
        }
    }
}

TEST(DocumentWriter, ASinkThatThrowsStopsTheHelperToo) {
    std::mt19937 rng(5);
    const QString text = randomText(rng, 20'000);
    for (int code : kWritableCodes) {
        DocumentWriter writer(text, code, 100);
        int calls = 0;
        EXPECT_THROW(writer.write([&](QByteArrayView) {
            if (++calls == 3) {
                throw std::runtime_error("disk gone");
            }
            return true;
        }),
                     std::runtime_error)
            << code;
        EXPECT_EQ(calls, 3) << code;
    }
}

TEST(DocumentWriter, WritingTwiceGivesTheSameBytes) {
    const QString text = awkwardText();
    DocumentWriter writer(text, 932, 16);
    QByteArray first;
    QByteArray second;
    EXPECT_TRUE(writer.write([&](QByteArrayView b) { return first.append(b), true; }));
    const qsizetype count = writer.substituted();
    EXPECT_TRUE(writer.write([&](QByteArrayView b) { return second.append(b), true; }));
    EXPECT_EQ(first, second);
    EXPECT_EQ(writer.substituted(), count);
    EXPECT_GT(count, 0);
}

TEST(DocumentWriter, CodesWithoutWriterAreRefusedBeforeAnyByte) {
    for (int code : {12000, 12001, 1252, 20127, 50220, 28591, -1}) {
        EXPECT_THROW(DocumentWriter(u"a", code), ECodePageError) << code;
    }
}

} // namespace
} // namespace quillo::codepage
