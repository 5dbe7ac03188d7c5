#pragma once
// Waiting for a file that another process writes (a viewer script started without waiting):
// bounded, and over as soon as the file is there, however loaded the machine is.

#include <chrono>
#include <string>
#include <thread>

#include "platform/FileSystem.h"

namespace sg::test {

// True once `path` holds text (then in `content`), checked every 10 ms for at most `bound`.
// The writer should write whole files (to a temporary name, then rename), so that what is read
// is never half written.
inline bool WaitForFile(const std::string& path, std::string& content,
                        std::chrono::milliseconds bound = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (!ReadWholeFile(path, content) || content.empty()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A shell line that records the script's first argument in `file`, whole (mv by its full path:
// tests may leave PATH with nothing on it).
inline std::string RecordArgumentLine(const std::string& file) {
    return "printf '%s' \"$1\" > \"" + file + ".tmp\" && /bin/mv \"" + file + ".tmp\" \"" + file +
           "\"";
}

}  // namespace sg::test
