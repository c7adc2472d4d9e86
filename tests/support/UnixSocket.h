#pragma once

// A Unix socket bound to a path (never listening), for the cases that meet a
// socket where a file is expected; closed when it goes out of scope.

#include <QFile>
#include <QString>

#include <algorithm>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quillo::testing {

class TUnixSocket {
public:
    explicit TUnixSocket(const QString& path) : FFd(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (FFd < 0 || size_t(name.size()) >= sizeof address.sun_path) {
            return;
        }
        std::copy(name.begin(), name.end(), address.sun_path);
        FBound = ::bind(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    TUnixSocket(const TUnixSocket&) = delete;
    TUnixSocket& operator=(const TUnixSocket&) = delete;
    ~TUnixSocket() {
        if (FFd >= 0) {
            ::close(FFd);
        }
    }
    bool Bound() const { return FBound; }

private:
    int FFd;
    bool FBound = false;
};

} // namespace quillo::testing
