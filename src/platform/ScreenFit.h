#pragma once

// Where a stored window or dialog may go: whatever the settings say, it
// lands on a screen, no larger than the screen's free area, with its top
// edge inside it and enough of it in sight to be taken and moved.

#include <QRect>

namespace quillo::platform {

// The free area (without panels) of the screen `topLeft` lies on, or of the
// primary screen; empty when there is no screen.
QRect AvailableScreenArea(QPoint topLeft);

// A frame at `topLeft` of `size` made to fit `area`: its size no larger than
// the area's (and no smaller than `minimum`), its position moved only as far
// as needed to keep its top edge in the area and part of it in sight.  Any
// int is taken, however far off.  An empty area changes nothing.
QRect FitOnScreen(QPoint topLeft, QSize size, const QRect& area, QSize minimum = {});

} // namespace quillo::platform
