#pragma once

// Base of the taskbar components.  The first initialisation and every update
// arrive as events posted to the component, so they take effect when the
// event loop next runs, after the window has been shown and after the
// handler that asked for them has finished.

#include "accessories/zkTaskbarList.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace quillo::accessories {

class TzkTaskbarComponent : public QObject {
    Q_OBJECT

public:
    // taskbarList: the taskbar to work on; none means the desktop offers no
    // overlay, and the component then never initialises.
    explicit TzkTaskbarComponent(QObject* owner,
                                 std::shared_ptr<ITaskbarList3> taskbarList = CreateTaskbarList());
    ~TzkTaskbarComponent() override;

    // The window whose taskbar button is meant: the one set, else the
    // owner's window; none before there is a window.
    QWidget* TaskBarEntryHandle() const;
    void SetTaskBarEntryHandle(QWidget* window) { FTaskBarEntryHandle = window; }

    bool IsInitialized() const { return FIsInitialized; }
    bool AutoInitialize() const { return FAutoInitialize; }
    void SetAutoInitialize(bool value) { FAutoInitialize = value; }

protected:
    virtual bool DoInitialize() { return true; }
    virtual void DoUpdate() {}
    // Posts an update when the component is initialised.
    void Update();
    bool event(QEvent* e) override;
    ITaskbarList3* TaskbarList3() const { return FTaskbarList3.get(); }

private:
    void TaskbarWndProc(QEvent* e);

    const QEvent::Type FMsgAutoInitialize;
    const QEvent::Type FMsgUpdate;
    bool FAutoInitialize = true;
    bool FIsInitialized = false;
    std::shared_ptr<ITaskbarList3> FTaskbarList3;
    QPointer<QWidget> FTaskBarEntryHandle;
};

} // namespace quillo::accessories
