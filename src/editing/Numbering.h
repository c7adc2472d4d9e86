#pragma once

#include <QString>

namespace quillo::editing {

// Replaces each "%%", left to right without overlap, by the next number,
// starting at `first`.
QString NumberMarkers(const QString& text, qint64 first);

// The text as a list of lines joined again: every break CR LF, and a break
// after the last line unless the text is empty.
QString AsLineList(const QString& text);

} // namespace quillo::editing
