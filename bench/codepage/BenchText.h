#pragma once

#include <QString>

#include <cstdint>

namespace quillo::bench {

// A generated Japanese document written in UTF-8 and in CP932 (the same text).
struct JapaneseDocument {
    QString utf8Path;
    QString cp932Path;
    std::int64_t utf8Bytes = 0;
    std::int64_t cp932Bytes = 0;
    std::int64_t lines = 0;
    std::int64_t units = 0; // UTF-16 units once read, line breaks as CR LF
};

// Writes `lines` lines of prose-like Japanese (kanji and kana runs, katakana
// words, punctuation, ASCII words and numbers, some half-width katakana) ended
// by LF, averaging `utf8BytesPerLine` bytes in UTF-8, into `folder`.  A fixed
// seed: every run writes the same bytes.  All of it is in CP932.
JapaneseDocument WriteJapaneseDocument(const QString& folder, std::int64_t lines,
                                       int utf8BytesPerLine);

// The document the speed goals are stated for: 1 million lines, 335 MB in
// UTF-8.  QUILLO_BENCH_LINES scales it down for a quick run.
JapaneseDocument WriteGoalDocument(const QString& folder);

} // namespace quillo::bench
