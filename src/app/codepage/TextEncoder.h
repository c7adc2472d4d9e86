#pragma once

#include <QByteArray>
#include <QStringView>

namespace quillo::codepage {

// Encodes UTF-16 text in one code, with no byte-order mark.  A lone surrogate
// U+DC00..U+DCFF (a byte the reader could not decode) is written back as that
// byte in every code but UTF-16, which keeps it.  A character the code cannot
// hold becomes its default character ('?'; U+FFFD in UTF-8) and is counted in
// *substituted.  Throws ECodePageError when there is no converter for the code.
// `mark` goes in front of the bytes (written in place, not copied after).
QByteArray EncodeText(QStringView text, int code, QByteArrayView mark = {},
                      qsizetype* substituted = nullptr);

} // namespace quillo::codepage
