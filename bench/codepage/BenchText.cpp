#include "BenchText.h"

#include "codepage/JapaneseTables.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace quillo::bench {
namespace {

using codepage::JapaneseTables;

// One character in both codes.
struct Glyph {
    std::string utf8;
    std::string cp932;
};

Glyph glyphOf(char16_t u) {
    Glyph g;
    if (u < 0x80) {
        g.utf8 = std::string(1, static_cast<char>(u));
    } else if (u < 0x800) {
        g.utf8 = {static_cast<char>(0xC0 | u >> 6), static_cast<char>(0x80 | (u & 0x3F))};
    } else {
        g.utf8 = {static_cast<char>(0xE0 | u >> 12), static_cast<char>(0x80 | ((u >> 6) & 0x3F)),
                  static_cast<char>(0x80 | (u & 0x3F))};
    }
    const std::uint16_t code = JapaneseTables::instance().cp932Code(u);
    if (code == JapaneseTables::kNoCode) {
        std::fprintf(stderr, "U+%04X is not in CP932\n", unsigned(u));
        std::exit(1);
    }
    if (code < 0x100) {
        g.cp932 = std::string(1, static_cast<char>(code));
    } else {
        g.cp932 = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    }
    return g;
}

std::vector<Glyph> glyphsOf(char16_t first, char16_t last) {
    std::vector<Glyph> all;
    for (char32_t u = first; u <= last; ++u) {
        all.push_back(glyphOf(static_cast<char16_t>(u)));
    }
    return all;
}

class Writer {
public:
    explicit Writer(const QString& path) : file_(path) {
        if (!file_.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
    }
    void add(const std::string& s) {
        buffer_ += s;
        if (buffer_.size() > (8u << 20)) {
            flush();
        }
    }
    std::int64_t finish() {
        flush();
        file_.close();
        return written_;
    }

private:
    void flush() {
        if (file_.write(buffer_.data(), static_cast<qint64>(buffer_.size())) !=
            static_cast<qint64>(buffer_.size())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file_.fileName()));
            std::exit(1);
        }
        written_ += static_cast<std::int64_t>(buffer_.size());
        buffer_.clear();
    }
    QFile file_;
    std::string buffer_;
    std::int64_t written_ = 0;
};

} // namespace

JapaneseDocument WriteJapaneseDocument(const QString& folder, std::int64_t lines,
                                       int utf8BytesPerLine) {
    const JapaneseTables& t = JapaneseTables::instance();
    std::vector<Glyph> kanji;
    for (unsigned code = 0x889F; code < 0x9873; ++code) { // JIS level 1
        const char16_t u = t.cp932Double(static_cast<std::uint16_t>(code));
        if (u != JapaneseTables::kNone) {
            kanji.push_back(glyphOf(u));
        }
    }
    const std::vector<Glyph> hiragana = glyphsOf(0x3041, 0x3093);
    const std::vector<Glyph> katakana = glyphsOf(0x30A1, 0x30F6);
    const std::vector<Glyph> halfKana = glyphsOf(0xFF66, 0xFF9D);
    const std::vector<Glyph> marks = {glyphOf(u'、'), glyphOf(u'。'), glyphOf(u'「'),
                                      glyphOf(u'」'), glyphOf(u'・'), glyphOf(u'ー'),
                                      glyphOf(u'（'), glyphOf(u'）'), glyphOf(u'　')};
    static const char* const kWords[] = {"file",     "option", "-r", "UTF-8", "2026", "man",
                                         "/usr/bin", "ESC",    "OK", "id=",   "CSV",  "0x1F"};

    JapaneseDocument doc;
    QDir().mkpath(folder);
    doc.utf8Path = folder + "/document-65001.txt";
    doc.cp932Path = folder + "/document-932.txt";
    Writer utf8(doc.utf8Path);
    Writer sjis(doc.cp932Path);
    std::mt19937 rng(335);
    std::uniform_int_distribution<int> length(utf8BytesPerLine / 2, utf8BytesPerLine * 3 / 2 - 2);
    std::string line8;
    std::string line932;
    auto put = [&](const Glyph& g) {
        line8 += g.utf8;
        line932 += g.cp932;
        ++doc.units;
    };
    auto run = [&](const std::vector<Glyph>& pool, unsigned from, unsigned to) {
        for (unsigned n = from + rng() % (to - from + 1); n > 0; --n) {
            put(pool[rng() % pool.size()]);
        }
    };
    for (std::int64_t i = 0; i < lines; ++i) {
        line8.clear();
        line932.clear();
        const std::size_t target = static_cast<std::size_t>(length(rng));
        while (line8.size() + 1 < target) {
            const unsigned p = rng() % 100;
            if (p < 30) {
                run(kanji, 1, 3);
            } else if (p < 62) {
                run(hiragana, 1, 5);
            } else if (p < 70) {
                run(katakana, 2, 6);
            } else if (p < 80) {
                put(marks[rng() % marks.size()]);
            } else if (p < 95) {
                const std::string word = std::string(" ") + kWords[rng() % std::size(kWords)] +
                                         std::to_string(rng() % 1000) + " ";
                line8 += word;
                line932 += word;
                doc.units += static_cast<std::int64_t>(word.size());
            } else {
                run(halfKana, 2, 5);
            }
        }
        line8 += '\n';
        line932 += '\n';
        doc.units += 2; // CR LF once read
        utf8.add(line8);
        sjis.add(line932);
    }
    doc.lines = lines;
    doc.utf8Bytes = utf8.finish();
    doc.cp932Bytes = sjis.finish();
    return doc;
}

JapaneseDocument WriteGoalDocument(const QString& folder) {
    const char* env = std::getenv("QUILLO_BENCH_LINES");
    const std::int64_t lines = env != nullptr ? std::strtoll(env, nullptr, 10) : 1'000'000;
    return WriteJapaneseDocument(folder, lines, 335);
}

} // namespace quillo::bench
