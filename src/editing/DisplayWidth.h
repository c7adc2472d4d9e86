#pragma once

#include <QStringView>

namespace quillo::editing {

// Display width in columns: one column per byte of the CP932 form, tab stops
// every 8 columns.  A character CP932 cannot hold counts one column.
int DisplayWidth(QStringView text, int startColumn = 0);

// The ruler's label for 1-based column m: the tens digit at every tenth
// column, ":" at the fifth, "." elsewhere.
QChar RulerLabel(int m);

} // namespace quillo::editing
