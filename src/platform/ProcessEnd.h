#pragma once

// The ways this process can end without its window closing, each turned into
// one call on the main thread while the window and its document still exist:
// SIGTERM, SIGHUP and SIGINT (a self-pipe makes them an event of the loop),
// the display connection lost (Qt reports it, then exits), and any other
// exit() as a last resort.  The session manager's requests to save come the
// same way, without an end.  One watcher at a time.

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace quillo::platform {

enum class TEndCause {
    Signal,      // ends once the call returns true
    DisplayLost, // ends whatever the call returns
    Exit,        // exit() was called elsewhere: ends whatever the call returns
    SessionSave, // the session manager asks to save; nothing ends
};

class TEndWatcher : public QObject {
    Q_OBJECT

public:
    // Returns false to stay (a signal's end is called off: the work could
    // not be kept).  Runs at most once for the causes that end the process.
    using TKeepWork = std::function<bool(TEndCause)>;

    explicit TEndWatcher(TKeepWork keepWork, QObject* parent = nullptr);
    // The normal close has kept what is to be kept: nothing more is called,
    // and the signals end the process at once again.
    ~TEndWatcher() override;

    // The signal that ended or would end the process, for tests: -1 while none came.
    int LastSignal() const { return FLastSignal; }

private:
    void SignalArrived();
    bool Keep(TEndCause cause);
    static void AtExit();
    static void MessageArrived(QtMsgType type, const QMessageLogContext& context,
                               const QString& message);

    TKeepWork FKeepWork;
    std::unique_ptr<QSocketNotifier> FNotifier;
    bool FEnded = false;
    int FLastSignal = -1;
};

} // namespace quillo::platform
