#include "codepage/CodePageDetector.h"
#include "codepage/ByteMarks.h"
#include "codepage/DocumentCodes.h"

#include "codepage/CodePageNames.h"
#include "codepage/JapaneseTextModel.h"
#include "codepage/TextDecoder.h"
#include "codepage/codepage.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace quillo::codepage {
namespace {

// Enough text to judge; detection stays a small part of opening a large file.
constexpr qsizetype kSampleBytes = kDetectSampleBytes;

// How much better (in log-likelihood) UTF-16 must read than ASCII to win over it.
constexpr double kAsciiMargin = 8.0;

bool isIso2022Jp(QByteArrayView bytes) {
    for (qsizetype i = 0; i + 2 < bytes.size(); ++i) {
        if (bytes[i] == '\x1B' &&
            ((bytes[i + 1] == '$' && (bytes[i + 2] == 'B' || bytes[i + 2] == '@')) ||
             (bytes[i + 1] == '(' && (bytes[i + 2] == 'J' || bytes[i + 2] == 'I')))) {
            return true;
        }
    }
    return false;
}

struct Candidate {
    int code;
    double score = 0;
    std::size_t invalid = 0;
    std::size_t units = 0;
};

Candidate scoreAs(int code, QByteArrayView sample, bool whole) {
    Candidate c{code};
    TextDecoder decoder(code, false);
    const auto n = static_cast<std::size_t>(sample.size());
    std::vector<char16_t> units(decoder.maxUnits(sample.data(), n));
    const TextDecoder::Step step = decoder.decode(sample.data(), n, whole, units.data());
    JapaneseTextModel model;
    model.add(units.data(), step.produced);
    c.score = model.score();
    c.invalid = model.invalid();
    c.units = step.produced;
    return c;
}

} // namespace

int DetectWithUchardet(QByteArrayView bytes) {
    std::unique_ptr<uchardet, void (*)(uchardet_t)> ud(uchardet_new(), uchardet_delete);
    if (!ud) {
        return 0;
    }
    if (uchardet_handle_data(ud.get(), bytes.data(), static_cast<std::size_t>(bytes.size())) != 0) {
        return 0;
    }
    uchardet_data_end(ud.get());
    const char* name = uchardet_get_charset(ud.get());
    return name != nullptr ? CodePageOfCharset(name) : 0;
}

int DetectCodePage(QByteArrayView bytes) {
    if (bytes.isEmpty()) {
        return kShiftJis;
    }
    if (const int marked = MarkOf(bytes).code) {
        return marked;
    }
    const bool whole = bytes.size() <= kSampleBytes;
    const QByteArrayView sample = whole ? bytes : bytes.first(kSampleBytes);

    bool high = false;
    bool nul = false;
    bool control = false;
    for (char ch : sample) {
        const auto b = static_cast<unsigned char>(ch);
        high |= b >= 0x80;
        nul |= b == 0;
        control |= b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1B;
    }
    if (!high && !nul && !control && isIso2022Jp(sample)) {
        return 50220;
    }
    const bool ascii = !high && !nul;

    Candidate best{0, -1e300};
    for (const DocumentCode& entry : DocumentCodes()) {
        const int code = entry.code;
        if (ascii && (code == kEucJp || code == kUtf8)) {
            continue; // they read 7-bit text as Shift-JIS does
        }
        Candidate c = scoreAs(code, sample, whole);
        if (ascii && code != kShiftJis) {
            c.score -= kAsciiMargin; // UTF-16 without a NUL must be clearly better
        }
        if (c.score > best.score) {
            best = c;
        }
    }
    // Undecodable bytes in the best Japanese reading: most likely another code.
    if (best.invalid > 0 && best.invalid * 50 > best.units) {
        if (const int other = DetectWithUchardet(sample)) {
            return other;
        }
    }
    return best.code;
}

} // namespace quillo::codepage
