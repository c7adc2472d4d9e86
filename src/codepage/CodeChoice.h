#pragma once

#include <QByteArrayView>

namespace quillo::codepage {

struct CodeChoice {
    int code = 0;            // the code the text is read in and the document takes
    qsizetype markBytes = 0; // the byte-order mark to skip
};

// The code of a file from its first bytes: a byte-order mark wins over the
// requested code, and -1 detects.  `head` must hold kDetectSampleBytes + 1
// bytes unless the file is shorter, for detection to judge as on the whole file.
CodeChoice ChooseCode(QByteArrayView head, int requestedCode);

} // namespace quillo::codepage
