#pragma once

#include <QByteArrayView>

namespace quillo::codepage {

// DetectCodePage reads no further than this; a reader that streams a file gives
// it one byte more, so that it judges exactly as it would on the whole file.
inline constexpr qsizetype kDetectSampleBytes = 64 * 1024;

// uchardet's own answer mapped to a code page (0 when it cannot tell); our
// DetectCodePage puts a Japanese-aware guess in front of it.
int DetectWithUchardet(QByteArrayView bytes);

} // namespace quillo::codepage
