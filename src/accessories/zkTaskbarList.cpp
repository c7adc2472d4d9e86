// The taskbar as the window icon: the overlay drawn onto it.

#include "accessories/zkTaskbarList.h"

#include <QPainter>
#include <QPixmap>
#include <QVariant>
#include <QWidget>

namespace quillo::accessories {

namespace {

// The window's icon before any overlay, kept on the window so that each new
// overlay is drawn on the clean icon and removing it restores that icon.
constexpr const char* kBaseIconProperty = "quilloOverlayBaseIcon";

} // namespace

QIcon ComposeOverlayIcon(const QIcon& base, const QIcon& overlay) {
    QIcon result;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap canvas(size, size);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        if (!base.isNull()) {
            base.paint(&painter, QRect(0, 0, size, size));
        }
        const int half = size / 2;
        overlay.paint(&painter, QRect(size - half, size - half, half, half));
        painter.end();
        result.addPixmap(canvas);
    }
    return result;
}

void TWindowIconTaskbarList::SetOverlayIcon(QWidget* window, const QIcon& icon,
                                            const QString& description) {
    if (window == nullptr) {
        return;
    }
    QVariant stored = window->property(kBaseIconProperty);
    if (!stored.isValid()) {
        stored = QVariant::fromValue(window->windowIcon());
        window->setProperty(kBaseIconProperty, stored);
    }
    const QIcon base = stored.value<QIcon>();
    if (icon.isNull()) {
        window->setWindowIcon(base);
        window->setAccessibleDescription(QString());
        window->setProperty(kBaseIconProperty, QVariant());
        return;
    }
    window->setWindowIcon(ComposeOverlayIcon(base, icon));
    window->setAccessibleDescription(description);
}

std::shared_ptr<ITaskbarList3> CreateTaskbarList() {
    return std::make_shared<TWindowIconTaskbarList>();
}

} // namespace quillo::accessories
