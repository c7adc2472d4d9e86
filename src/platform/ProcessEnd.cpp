#include "platform/ProcessEnd.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>

#include <array>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quillo::platform {

namespace {

constexpr std::array kSignals{SIGTERM, SIGHUP, SIGINT};

// What the signal handler, the message handler and atexit reach.
TEndWatcher* gWatcher = nullptr;
int gPipe[2] = {-1, -1};
QtMessageHandler gPreviousHandler = nullptr;
bool gAtExitRegistered = false;

void WriteSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);
    errno = saved;
}

bool OnMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

} // namespace

TEndWatcher::TEndWatcher(TKeepWork keepWork, QObject* parent)
    : QObject(parent), FKeepWork(std::move(keepWork)) {
    gWatcher = this;
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        FNotifier = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
        connect(FNotifier.get(), &QSocketNotifier::activated, this, &TEndWatcher::SignalArrived);
        struct sigaction action {};
        action.sa_handler = WriteSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (const int signal : kSignals) {
            // A signal the starter had ignored (nohup) stays ignored.
            struct sigaction old {};
            if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
                ::sigaction(signal, &action, nullptr);
            }
        }
    }
    // Qt's X11 platform says so, then calls exit(1): the window still exists
    // while it says so.
    gPreviousHandler = qInstallMessageHandler(&TEndWatcher::MessageArrived);
    if (!gAtExitRegistered) {
        gAtExitRegistered = std::atexit(&TEndWatcher::AtExit) == 0;
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const auto save = [this](QSessionManager&) {
            Keep(TEndCause::SessionSave);
        };
        connect(app, &QGuiApplication::commitDataRequest, this, save);
        connect(app, &QGuiApplication::saveStateRequest, this, save);
    }
}

TEndWatcher::~TEndWatcher() {
    gWatcher = nullptr;
    for (const int signal : kSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == WriteSignal) {
            std::signal(signal, SIG_DFL);
        }
    }
    qInstallMessageHandler(gPreviousHandler);
    FNotifier.reset();
    for (int& fd : gPipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

bool TEndWatcher::Keep(TEndCause cause) {
    if (cause == TEndCause::SessionSave) {
        return FKeepWork(cause);
    }
    if (FEnded) {
        return true;
    }
    FEnded = FKeepWork(cause);
    return FEnded;
}

void TEndWatcher::SignalArrived() {
    char arrived[16];
    const ssize_t n = ::read(gPipe[0], arrived, sizeof arrived);
    for (ssize_t i = 0; i < n; ++i) {
        FLastSignal = arrived[i];
        if (Keep(TEndCause::Signal)) {
            // Ended by the signal itself, as it would have been without us.
            std::signal(FLastSignal, SIG_DFL);
            ::raise(FLastSignal);
        }
    }
}

void TEndWatcher::MessageArrived(QtMsgType type, const QMessageLogContext& context,
                                 const QString& message) {
    if (gWatcher != nullptr && OnMainThread() &&
        message.startsWith(QLatin1String("The X11 connection broke"))) {
        gWatcher->Keep(TEndCause::DisplayLost);
    }
    if (gPreviousHandler != nullptr) {
        gPreviousHandler(type, context, message);
    }
}

void TEndWatcher::AtExit() {
    if (gWatcher != nullptr && OnMainThread()) {
        gWatcher->Keep(TEndCause::Exit);
    }
}

} // namespace quillo::platform
