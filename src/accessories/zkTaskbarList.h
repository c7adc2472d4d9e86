#pragma once

// The taskbar as the taskbar components see it.  The desktop shows a window's
// button with the window's icon, so the overlay is drawn onto that icon and
// its text becomes the window's accessible description.

#include <QIcon>
#include <QString>

#include <memory>

class QWidget;

namespace quillo::accessories {

class ITaskbarList3 {
public:
    virtual ~ITaskbarList3() = default;
    // A null icon removes the overlay (and its description).
    virtual void SetOverlayIcon(QWidget* window, const QIcon& icon, const QString& description) = 0;
};

// The window's own icon with the overlay picture in its lower right quarter,
// in each of the usual icon sizes.
QIcon ComposeOverlayIcon(const QIcon& base, const QIcon& overlay);

class TWindowIconTaskbarList : public ITaskbarList3 {
public:
    void SetOverlayIcon(QWidget* window, const QIcon& icon, const QString& description) override;
};

std::shared_ptr<ITaskbarList3> CreateTaskbarList();

} // namespace quillo::accessories
