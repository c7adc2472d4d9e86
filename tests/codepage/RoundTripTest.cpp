#include "codepage/JapaneseTables.h"
#include "codepage/codepage.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace quillo::codepage {
namespace {

// Random lines of kana, level-1 kanji, half-width kana and ASCII, CR LF ended:
// characters every document code holds and whose code is unique.
QString randomText(std::mt19937& rng, int units) {
    const JapaneseTables& t = JapaneseTables::instance();
    QString text;
    while (text.size() < units) {
        switch (rng() % 6) {
        case 0:
            text.append(QChar(char16_t(0x3041 + rng() % 83)));
            break;
        case 1:
            text.append(QChar(char16_t(0x30A1 + rng() % 86)));
            break;
        case 2: {
            const char16_t u = t.cp932Double(static_cast<std::uint16_t>(0x889F + rng() % 0x0F00));
            text.append(QChar(u == JapaneseTables::kNone ? u'漢' : u));
            break;
        }
        case 3:
            text.append(QChar(char16_t(0xFF66 + rng() % 58)));
            break;
        case 4:
            text.append(QChar(char16_t('a' + rng() % 26)));
            break;
        default:
            text.append(rng() % 4 == 0 ? u"\r\n" : u" ");
        }
    }
    return text;
}

QByteArray mark(int code) {
    switch (code) {
    case 65001:
        return "\xEF\xBB\xBF";
    case 1200:
        return "\xFF\xFE";
    case 1201:
        return "\xFE\xFF";
    default:
        return {};
    }
}

// Open with detection and save: the same bytes come back, apart from the mark
// that UTF-8 and UTF-16 files always get.  Shift-JIS, EUC-JP and UTF-8 files
// with stray bytes come back byte for byte too.
TEST(RoundTrip, GeneratedFilesSurviveOpenAndSaveInEveryCode) {
    std::mt19937 rng(20240607);
    for (int round = 0; round < 40; ++round) {
        const QString text = randomText(rng, 200 + static_cast<int>(rng() % 400));
        for (int code : {932, 51932, 65001, 1200, 1201}) {
            QByteArray file = EncodeDocument(text, code).bytes;
            const bool byteCode = code == 932 || code == 51932 || code == 65001;
            if (code != 932 && code != 51932 && round % 2 == 0) {
                file.remove(0, mark(code).size()); // a file written elsewhere, without mark
            }
            if (byteCode && round % 3 == 0) {
                // Stray bytes at a line start, where no sequence can be cut.
                const qsizetype at = file.indexOf("\r\n");
                if (at >= 0) {
                    file.insert(at + 2, "\xFF\x80");
                }
            }
            const LoadedText loaded = LoadTextFile(file, -1);
            ASSERT_EQ(loaded.codePage, code) << "round " << round;
            EXPECT_EQ(loaded.badBytes > 0, byteCode && round % 3 == 0 && file.contains("\xFF\x80"));
            QByteArray expected = file;
            if (!file.startsWith(mark(code))) {
                expected.prepend(mark(code));
            }
            EXPECT_EQ(EncodeDocument(loaded.text, loaded.codePage).bytes.toHex(), expected.toHex())
                << "code " << code << " round " << round;
        }
    }
}

} // namespace
} // namespace quillo::codepage
