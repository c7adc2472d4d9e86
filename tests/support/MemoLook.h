#pragma once

// The edit view as the main window sets it up: line numbers from 1 in eight
// columns, the window's 13-pixel font, a fixed size.

#include "editing/LfMemo.h"

#include <QFont>

namespace quillo::testing {

inline void ApplyMainWindowLook(editing::TLfMemo& memo) {
    memo.SetStartLineNo(1);
    memo.SetLineNoColumn(8);
    QFont f(QStringLiteral("ＭＳ ゴシック"));
    f.setPixelSize(13);
    f.setStyleHint(QFont::TypeWriter);
    memo.setFont(f);
    memo.resize(600, 300);
}

} // namespace quillo::testing
