#pragma once

#include <QByteArrayView>

namespace quillo::codepage {

// uchardet's own answer mapped to a code page (0 when it cannot tell); our
// DetectCodePage puts a Japanese-aware guess in front of it.
int DetectWithUchardet(QByteArrayView bytes);

} // namespace quillo::codepage
