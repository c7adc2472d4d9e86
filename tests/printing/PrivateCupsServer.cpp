#include "printing/PrivateCupsServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillo::testing {

namespace {

int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
    }
    close(fd);
    return port;
}

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

bool WriteFile(const QString& path, const QString& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

PrivateCupsServer::~PrivateCupsServer() {
    Stop();
}

bool PrivateCupsServer::WriteConfiguration(int port) {
    const QString root = FDir.path();
    for (const char* sub : {"spool", "spool/tmp", "cache", "state", "log", "out", "ppd"}) {
        QDir().mkpath(root + '/' + sub);
    }
    // Filters run as the scheduler's user, which must reach the spool and
    // write the printed files.
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(root, open);
    QFile::setPermissions(root + "/out", open | QFile::WriteGroup | QFile::WriteOther);

    QString user = "lp", groupName = "lp", systemGroup = "root";
    if (geteuid() != 0) {
        const passwd* pw = getpwuid(geteuid());
        const struct group* gr = getgrgid(getegid());
        user = pw != nullptr ? pw->pw_name : "nobody";
        groupName = systemGroup = gr != nullptr ? gr->gr_name : "nogroup";
    }
    const QString conf = QString("Listen 127.0.0.1:%1\n"
                                 "LogLevel warn\n"
                                 "WebInterface No\n"
                                 "Browsing No\n"
                                 "DefaultAuthType None\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                 "  </Limit>\n</Policy>\n")
                             .arg(port);
    const QString files = QString("ServerRoot %1\n"
                                  "RequestRoot %1/spool\n"
                                  "TempDir %1/spool/tmp\n"
                                  "CacheDir %1/cache\n"
                                  "StateDir %1/state\n"
                                  "ServerBin /usr/lib/cups\n"
                                  "DataDir /usr/share/cups\n"
                                  "ErrorLog %1/log/error_log\n"
                                  "AccessLog %1/log/access_log\n"
                                  "PageLog %1/log/page_log\n"
                                  "Printcap %1/printcap\n"
                                  "FileDevice Yes\n"
                                  "User %2\n"
                                  "Group %3\n"
                                  "SystemGroup %4\n")
                              .arg(root, user, groupName, systemGroup);
    return WriteFile(root + "/cupsd.conf", conf) && WriteFile(root + "/cups-files.conf", files);
}

QString PrivateCupsServer::ErrorLogTail() const {
    QFile f(FDir.path() + "/log/error_log");
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(f.readAll()).right(1500);
}

bool PrivateCupsServer::Start() {
    const QString cupsd = QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/usr/local/sbin"});
    if (cupsd.isEmpty()) {
        FError = "cupsd is not installed (Debian package cups-daemon)";
        return false;
    }
    if (!FDir.isValid()) {
        FError = "cannot create a temporary folder";
        return false;
    }
    const int port = FreeLoopbackPort();
    if (port <= 0 || !WriteConfiguration(port)) {
        FError = "cannot prepare the scheduler's folder";
        return false;
    }
    FDaemon.setProcessChannelMode(QProcess::MergedChannels);
    FDaemon.start(
        cupsd, {"-f", "-c", FDir.path() + "/cupsd.conf", "-s", FDir.path() + "/cups-files.conf"});
    if (!FDaemon.waitForStarted(10000)) {
        FError = "cupsd did not start: " + FDaemon.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
        if (FDaemon.state() != QProcess::Running) {
            FError = "cupsd stopped at once: " + QString::fromLocal8Bit(FDaemon.readAll()) +
                     ErrorLogTail();
            return false;
        }
        if (Accepts(port)) {
            FAddress = QString("127.0.0.1:%1").arg(port);
            return true;
        }
        QThread::msleep(100);
    }
    FError = "cupsd did not listen within 20 s: " + ErrorLogTail();
    Stop();
    return false;
}

void PrivateCupsServer::UseExisting(const QString& address) {
    FAddress = address;
    QDir().mkpath(FDir.path() + "/out");
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                     QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                     QFile::ExeOther;
    QFile::setPermissions(FDir.path(), all & ~(QFile::WriteGroup | QFile::WriteOther));
    QFile::setPermissions(FDir.path() + "/out", all);
}

void PrivateCupsServer::Stop() {
    if (FDaemon.state() == QProcess::NotRunning) {
        return;
    }
    const qint64 pid = FDaemon.processId();
    if (pid > 0) {
        kill(static_cast<pid_t>(pid), SIGTERM);
    }
    if (!FDaemon.waitForFinished(15000) && pid > 0) {
        kill(static_cast<pid_t>(pid), SIGKILL);
        FDaemon.waitForFinished(5000);
    }
}

bool PrivateCupsServer::Admin(const QString& program, QStringList args) {
    args.prepend(FAddress);
    args.prepend("-h");
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ok =
        p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok) {
        FError = program + ": " + QString::fromLocal8Bit(p.readAll()) + ErrorLogTail();
    }
    return ok;
}

} // namespace quillo::testing
