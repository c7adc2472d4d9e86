#pragma once

#include <QString>

namespace quillo::editing {

class TLfMemo;

// The leading run of blanks (TAB, space, ideographic space) of the line that
// holds position `pos`, the part after `pos` included.  Reads one line only.
QString CaptureIndent(const TLfMemo& memo, qsizetype pos);

} // namespace quillo::editing
