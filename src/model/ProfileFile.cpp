#include "model/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "model/ProfileArchive.h"

namespace sg {
namespace {

// Reads a profile straight from an open file descriptor.
class FileProfileSource : public ProfileSource {
  public:
    explicit FileProfileSource(int fd) : fd_(fd) {}

    std::size_t Read(char* dest, std::size_t size) override {
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::read(fd_, dest + done, size - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

  private:
    int fd_;
};

bool WriteAll(ProfileSaveOps& ops, int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ops.Write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the rename itself durable. Best effort: the new file is complete either way.
void SyncFolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : path.substr(0, slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

int SaveProfile(const Project& project, const std::string& path) {
    ProfileSaveOps ops;
    return SaveProfile(project, path, ops);
}

int SaveProfile(const Project& project, const std::string& path, ProfileSaveOps& ops) {
    ProfileArchive archive;
    project.Store(archive);

    std::string temp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return kProfileCannotOpen;
    }
    struct stat old {};
    mode_t mode =
        (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(ops, fd, archive.Bytes()) && ops.Sync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ops.Rename(temp.c_str(), path.c_str()) == 0) {
        SyncFolderOf(path);
        return kProfileOk;
    }
    ::unlink(temp.c_str());
    return kProfileWriteFailed;
}

namespace {

std::string ProfileErrorText(int result, const std::string& path) {
    if (result == kProfilePastEnd) {
        return "An attempt was made to access " + path + " past its end.";
    }
    if (result == kProfileBadFormat) {
        return "Unexpected file format.";
    }
    return std::string();
}

}  // namespace

int LoadProfile(Project& project, const std::string& path, std::string* errorText) {
    if (errorText != nullptr) {
        errorText->clear();
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return kProfileCannotOpen;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return kProfileCannotOpen;
    }
    FileProfileSource source(fd);
    ProfileArchive archive(source);
    int archiveResult = project.Serialize(archive);
    ::close(fd);

    int result = archiveResult == kArchiveOk        ? kProfileOk
                 : archiveResult == kArchivePastEnd ? kProfilePastEnd
                                                    : kProfileBadFormat;
    if (errorText != nullptr) {
        *errorText = ProfileErrorText(result, path);
    }
    return result;
}

}  // namespace sg
