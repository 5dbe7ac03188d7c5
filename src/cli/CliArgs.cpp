#include "cli/CliArgs.h"

namespace sg {

std::vector<std::string> CliArgs::TakeRest() {
    std::vector<std::string> rest(args_.begin() + static_cast<std::ptrdiff_t>(pos_), args_.end());
    pos_ = args_.size();
    return rest;
}

bool CliArgs::TakeFlag(std::string_view option) {
    if (AtEnd() || Current() != option) {
        return false;
    }
    ++pos_;
    return true;
}

bool CliArgs::TakeValue(std::string_view option, std::string& value) {
    if (AtEnd()) {
        return false;
    }
    std::string_view arg = Current();
    if (arg == option) {
        ++pos_;
        if (AtEnd()) {
            Fail(std::string(option) + " needs a value");
            return true;
        }
        value = args_[pos_++];
        return true;
    }
    if (arg.size() > option.size() && arg.substr(0, option.size()) == option &&
        arg[option.size()] == '=') {
        value = arg.substr(option.size() + 1);
        ++pos_;
        return true;
    }
    return false;
}

bool CliArgs::TakePositional(std::string& value) {
    if (AtEnd() || (Current().size() > 1 && Current()[0] == '-')) {
        return false;
    }
    value = args_[pos_++];
    return true;
}

void CliArgs::Fail(std::string message) {
    if (error_.empty()) {
        error_ = std::move(message);
    }
}

}  // namespace sg
