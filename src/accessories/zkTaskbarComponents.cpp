// The taskbar components' deferred initialisation and updates.

#include "accessories/zkTaskbarComponents.h"

#include <QCoreApplication>
#include <QWidget>

namespace quillo::accessories {

namespace {

QEvent::Type RegisteredType(int& slot) {
    if (slot == 0) {
        slot = QEvent::registerEventType();
    }
    return static_cast<QEvent::Type>(slot);
}

// One event type each for all components, as a registered message would be.
QEvent::Type AutoInitializeType() {
    static int type = 0;
    return RegisteredType(type);
}

QEvent::Type UpdateType() {
    static int type = 0;
    return RegisteredType(type);
}

} // namespace

TzkTaskbarComponent::TzkTaskbarComponent(QObject* owner, std::shared_ptr<ITaskbarList3> taskbarList)
    : QObject(owner), FMsgAutoInitialize(AutoInitializeType()), FMsgUpdate(UpdateType()),
      FTaskbarList3(std::move(taskbarList)) {
    QCoreApplication::postEvent(this, new QEvent(FMsgAutoInitialize));
}

TzkTaskbarComponent::~TzkTaskbarComponent() = default;

QWidget* TzkTaskbarComponent::TaskBarEntryHandle() const {
    if (!FTaskBarEntryHandle.isNull()) {
        return FTaskBarEntryHandle;
    }
    if (auto* widget = qobject_cast<QWidget*>(parent())) {
        return widget->window();
    }
    return nullptr;
}

void TzkTaskbarComponent::Update() {
    if (FIsInitialized) {
        QCoreApplication::postEvent(this, new QEvent(FMsgUpdate));
    }
}

bool TzkTaskbarComponent::event(QEvent* e) {
    if (e->type() == FMsgAutoInitialize || e->type() == FMsgUpdate) {
        TaskbarWndProc(e);
        return true;
    }
    return QObject::event(e);
}

void TzkTaskbarComponent::TaskbarWndProc(QEvent* e) {
    if (e->type() == FMsgAutoInitialize) {
        if (FAutoInitialize) {
            FIsInitialized = DoInitialize();
        }
    } else if (FIsInitialized) {
        DoUpdate();
    }
}

} // namespace quillo::accessories
