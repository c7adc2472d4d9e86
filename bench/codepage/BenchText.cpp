#include "BenchText.h"

#include "app/codepage/JapaneseTables.h"

#include <random>
#include <vector>

namespace quillo::bench {

QString GenerateJapaneseText(std::size_t units) {
    using codepage::JapaneseTables;
    const JapaneseTables& t = JapaneseTables::instance();
    std::vector<char16_t> kanji;
    for (unsigned code = 0x889F; code < 0x9873; ++code) { // JIS level 1
        const char16_t u = t.cp932Double(static_cast<std::uint16_t>(code));
        if (u != JapaneseTables::kNone) {
            kanji.push_back(u);
        }
    }
    static const char16_t* const kWords[] = {u"file", u"option", u"-r",       u"UTF-8",
                                             u"2024", u"man",    u"/usr/bin", u"ESC"};
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> percent(0, 99);
    QString text;
    text.reserve(static_cast<qsizetype>(units + 128));
    int column = 0;
    while (static_cast<std::size_t>(text.size()) < units) {
        const int p = percent(rng);
        if (p < 45) {
            text.append(QChar(char16_t(0x3041 + rng() % 83)));
        } else if (p < 60) {
            text.append(QChar(char16_t(0x30A1 + rng() % 86)));
        } else if (p < 85) {
            text.append(QChar(kanji[rng() % kanji.size()]));
        } else if (p < 92) {
            text.append(u' ');
            text.append(QStringView(kWords[rng() % std::size(kWords)]));
            text.append(u' ');
        } else if (p < 97) {
            text.append(p < 95 ? u'、' : u'。');
        } else {
            text.append(QChar(char16_t(0xFF66 + rng() % 58))); // half-width katakana
        }
        if (++column > 20 + static_cast<int>(rng() % 60)) {
            text.append(u'\n');
            column = 0;
        }
    }
    return text;
}

} // namespace quillo::bench
