#pragma once

#include <sys/types.h>
#include <cstddef>

namespace sg {

// The system calls of a profile save that can fail after the temporary file exists. The
// defaults are the plain POSIX calls; tests override one to make a save fail part-way.
class ProfileSaveOps {
  public:
    virtual ~ProfileSaveOps() = default;
    virtual ssize_t Write(int fd, const char* data, std::size_t size);
    virtual int Sync(int fd);
    virtual int Rename(const char* from, const char* to);
};

}  // namespace sg
