#pragma once

// A CUPS scheduler of the test's own: configuration, spool and logs in a
// temporary folder, listening on a free loopback port, run in the foreground
// as a child process and stopped by its process id.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace quillo::testing {

class PrivateCupsServer {
public:
    PrivateCupsServer() = default;
    ~PrivateCupsServer();
    PrivateCupsServer(const PrivateCupsServer&) = delete;
    PrivateCupsServer& operator=(const PrivateCupsServer&) = delete;

    // False, with the reason in Error(), when the scheduler cannot run here.
    bool Start();
    // Talks to a scheduler started elsewhere instead; printed files still
    // go to this object's folder.
    void UseExisting(const QString& address);
    void Stop();

    QString Address() const { return FAddress; }
    QString Folder() const { return FDir.path(); }
    QString Error() const { return FError; }

    // Runs an administration tool against this server; false on failure,
    // with its output in Error().
    bool Admin(const QString& program, QStringList args);

private:
    bool WriteConfiguration(int port);
    QString ErrorLogTail() const;

    QTemporaryDir FDir;
    QProcess FDaemon;
    QString FAddress;
    QString FError;
};

} // namespace quillo::testing
