#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace sg {
namespace {

bool WriteAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        return std::string();
    }
    return buffer;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0;
}

bool WriteWholeFile(const std::string& path, std::string_view data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAll(fd, data);
    return ::close(fd) == 0 && ok;
}

bool AppendInOneWrite(const std::string& path, std::string_view header, std::string_view data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok) {
        std::string whole;
        if (st.st_size == 0) {
            whole.reserve(header.size() + data.size());
            whole += header;
        }
        whole += data;
        ok = WriteAll(fd, whole);
    }
    return ::close(fd) == 0 && ok;
}

bool ReadWholeFile(const std::string& path, std::string& data) {
    data.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) {
            break;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view data, mode_t mode) {
    std::string temp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

bool WriteFileReplacing(const std::string& path, const std::function<bool(std::ostream&)>& write) {
    const std::string part = CreateFileBeside(path);
    if (part.empty()) {
        return false;
    }
    std::ofstream file(part, std::ios::binary | std::ios::trunc);
    bool ok = write(file);
    file.close();
    ok = ok && file && ReplaceFile(part, path);
    if (!ok) {
        RemoveFile(part);
    }
    return ok;
}

std::string CreateFileBeside(const std::string& path) {
    struct stat old {};
    const bool replaces = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    static std::atomic<unsigned> counter{0};
    for (int tries = 0; tries < 100; ++tries) {
        const std::string name = path + ".part-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1));
        // O_EXCL: never an existing file or a link planted under that name.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return std::string();
        }
        const bool ok = !replaces || ::fchmod(fd, old.st_mode & 07777) == 0;
        if (::close(fd) != 0 || !ok) {
            ::unlink(name.c_str());
            return std::string();
        }
        return name;
    }
    return std::string();
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace sg
