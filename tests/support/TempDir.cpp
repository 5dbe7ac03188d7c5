#include "support/TempDir.h"

#include <cstdlib>
#include <stdexcept>

namespace sg::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "sitegauge-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        hadValue_ = true;
        oldValue_ = old;
    }
    if (value != nullptr) {
        ::setenv(name, value, 1);
    } else {
        ::unsetenv(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (hadValue_) {
        ::setenv(name_.c_str(), oldValue_.c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

}  // namespace sg::test
