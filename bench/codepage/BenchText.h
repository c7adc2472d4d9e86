#pragma once

#include <QString>

#include <cstddef>

namespace quillo::bench {

// A Japanese-looking text of about `units` UTF-16 units: hiragana, katakana,
// kanji, ASCII words and punctuation in lines ended by LF, from a fixed seed so
// every run reads the same bytes.
QString GenerateJapaneseText(std::size_t units);

} // namespace quillo::bench
