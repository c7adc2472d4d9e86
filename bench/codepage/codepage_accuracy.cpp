// Accuracy of DetectCodePage against uchardet alone, on samples cut from the
// corpus that tools/corpus_manpages.py writes:
//
//   tools/corpus_manpages.py /tmp/corpus && codepage_accuracy /tmp/corpus [samples]
//
// Each sample is a window of the corpus text encoded with our own writers
// (Windows' mappings, no byte-order mark) and cut at a character boundary to at
// most 16, 64, 256 or 4096 bytes.
#include "codepage/CodePageDetector.h"
#include "codepage/TextEncoder.h"
#include "codepage/codepage.h"

#include <QFile>
#include <QString>

#include <cstdio>
#include <map>
#include <random>
#include <vector>

using namespace quillo::codepage;

namespace {

struct Set {
    const char* name;
    const char* file;
    int code;
    int expected;
    bool needsNonAscii;
};

const Set kSets[] = {
    {"CP932 Japanese", "ja.txt", 932, 932, true},
    {"EUC-JP Japanese", "ja.txt", 51932, 51932, true},
    {"UTF-8 Japanese", "ja.txt", 65001, 65001, true},
    {"UTF-16LE Japanese", "ja.txt", 1200, 1200, false},
    {"UTF-16BE Japanese", "ja.txt", 1201, 1201, false},
    {"UTF-16LE English", "en.txt", 1200, 1200, false},
    {"UTF-16BE English", "en.txt", 1201, 1201, false},
    {"CP932 half-width mixed", "hw_mixed.txt", 932, 932, true},
    {"EUC-JP half-width mixed", "hw_mixed.txt", 51932, 51932, true},
    {"CP932 half-width only", "hw_only.txt", 932, 932, true},
    {"EUC-JP half-width only", "hw_only.txt", 51932, 51932, true},
    {"ASCII English", "en.txt", 932, 932, false},
};

constexpr int kSizes[] = {16, 64, 256, 4096};

// A window of the text, encoded and cut to at most `size` bytes; empty when the
// window does not suit the set.
QByteArray sample(const QString& text, const Set& set, int size, std::mt19937& rng) {
    std::uniform_int_distribution<qsizetype> start(0, text.size() - size - 1);
    qsizetype from = start(rng);
    if (from > 0 && text[from].isLowSurrogate()) {
        ++from;
    }
    QByteArray bytes;
    bool nonAscii = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QByteArray one = EncodeText(QStringView(text).sliced(i, 1), set.code);
        if (bytes.size() + one.size() > size) {
            break;
        }
        bytes += one;
        nonAscii |= text[i].unicode() >= 0x80;
    }
    if (bytes.size() < size - 3 || (set.needsNonAscii && !nonAscii)) {
        return {};
    }
    return bytes;
}

bool uchardetRight(int answer, const Set& set) {
    // uchardet names plain ASCII 20127, which we read as 932.
    return answer == set.expected ||
           (set.expected == 932 && set.code == 932 && !set.needsNonAscii && answer == 20127);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER [SAMPLES]\n", argv[0]);
        return 2;
    }
    const int samples = argc > 2 ? std::atoi(argv[2]) : 400;
    std::printf("%-26s", "samples / size (bytes)");
    for (int size : kSizes) {
        std::printf(" | %5d: ours uchardet", size);
    }
    std::printf("\n");
    std::map<int, int> wrong;
    for (const Set& set : kSets) {
        QFile file(QString::fromLocal8Bit(argv[1]) + "/" + set.file);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        const QString text = QString::fromUtf8(file.readAll());
        std::printf("%-26s", set.name);
        std::mt19937 rng(12345);
        for (int size : kSizes) {
            int ours = 0;
            int theirs = 0;
            int n = 0;
            while (n < samples) {
                const QByteArray bytes = sample(text, set, size, rng);
                if (bytes.isEmpty()) {
                    continue;
                }
                ++n;
                const int answer = DetectCodePage(bytes);
                ours += answer == set.expected;
                if (answer != set.expected) {
                    ++wrong[answer];
                    if (std::getenv("CODEPAGE_ACCURACY_VERBOSE")) {
                        std::fprintf(stderr, "%s %d -> %d: %s\n", set.name, size, answer,
                                     bytes.toHex().constData());
                    }
                }
                theirs += uchardetRight(DetectWithUchardet(bytes), set);
            }
            std::printf(" | %11.1f%% %7.1f%%", 100.0 * ours / n, 100.0 * theirs / n);
        }
        std::printf("\n");
    }
    std::printf("our wrong answers:");
    for (const auto& [code, count] : wrong) {
        std::printf(" %d x%d", code, count);
    }
    std::printf("\n");
    return 0;
}
