#pragma once

// A file-size limit makes a write fail part way, as a full disk would, and
// holds for every user (folder permissions do not for root).

#include <csignal>
#include <sys/resource.h>

namespace quillo::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldSignal_)(int) = nullptr;
    bool ok_ = false;
};

} // namespace quillo::testing
