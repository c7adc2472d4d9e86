#include "platform/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace quillo::platform {

namespace {

// How much of a window stays in sight at least, to be grabbed and moved back.
constexpr int kInSight = 100;

} // namespace

QRect AvailableScreenArea(QPoint topLeft) {
    QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

QRect FitOnScreen(QPoint topLeft, QSize size, const QRect& area, QSize minimum) {
    if (area.isEmpty()) {
        return QRect(topLeft, size);
    }
    const int width =
        std::clamp(size.width(), std::min(minimum.width(), area.width()), area.width());
    const int height =
        std::clamp(size.height(), std::min(minimum.height(), area.height()), area.height());
    const int inSightX = std::min(kInSight, width);
    const int inSightY = std::min(kInSight, height);
    // 64-bit: a stored edge near the end of int must not wrap.
    const qint64 left = std::clamp<qint64>(topLeft.x(), qint64(area.left()) - width + inSightX,
                                           qint64(area.right()) + 1 - inSightX);
    const qint64 top =
        std::clamp<qint64>(topLeft.y(), area.top(), qint64(area.bottom()) + 1 - inSightY);
    return QRect(int(left), int(top), width, height);
}

} // namespace quillo::platform
