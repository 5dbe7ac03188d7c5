#pragma once
// A full disk on the real system calls: RLIMIT_FSIZE with SIGXFSZ ignored, so a write past the
// limit stops short and then fails with EFBIG, as on a full disk. Both are inherited by a child
// process started while it lives.

#include <sys/resource.h>

#include <csignal>

namespace sg::test {

// Files may not grow past `bytes` while this lives.
class FullDisk {
  public:
    explicit FullDisk(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ok_ = ::getrlimit(RLIMIT_FSIZE, &previous_) == 0;
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    bool Active() const { return ok_; }

  private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool ok_ = false;
};

}  // namespace sg::test
