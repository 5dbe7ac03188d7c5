#include "model/ProfileSaveOps.h"

#include <unistd.h>
#include <cstdio>

namespace sg {

ssize_t ProfileSaveOps::Write(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}

int ProfileSaveOps::Sync(int fd) {
    return ::fsync(fd);
}

int ProfileSaveOps::Rename(const char* from, const char* to) {
    return std::rename(from, to);
}

}  // namespace sg
