#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

// Walks command-line arguments: options with a value ("--name VALUE" or "--name=VALUE"), flags
// and positional words. A Take* call that does not match leaves the position where it was.
class CliArgs {
  public:
    explicit CliArgs(std::vector<std::string> args) : args_(std::move(args)) {}

    bool AtEnd() const { return pos_ >= args_.size(); }
    // The current argument; only valid when not AtEnd().
    const std::string& Current() const { return args_[pos_]; }
    // Everything from the current argument on, which is then consumed.
    std::vector<std::string> TakeRest();

    bool TakeFlag(std::string_view option);
    // True when the current argument is `option`; its value is stored unless it is missing, in
    // which case Failed() becomes true.
    bool TakeValue(std::string_view option, std::string& value);
    // The current argument when it does not start with "-" (a lone "-" is positional).
    bool TakePositional(std::string& value);

    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    void Fail(std::string message);

  private:
    std::vector<std::string> args_;
    std::size_t pos_ = 0;
    std::string error_;
};

}  // namespace sg
