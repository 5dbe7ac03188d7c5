#pragma once
// Shows a file (a report, a help page) with the user's program for its type.

#include <concepts>
#include <functional>
#include <string>
#include <type_traits>

namespace sg {

// Starts `xdg-open path` (or, when that cannot start, `$BROWSER path`) without a shell and
// without waiting; the child is reaped in the background. Returns whether a program started
// (not whether it went on to show the file), so a caller can tell the user where the file is
// when none could.
bool OpenDocument(const std::string& path);

// What OpenDocument does instead of the default (tests record the paths; the GUI may use its
// own opener). An opener that returns nothing counts as started; one that returns bool says.
class DocumentOpener {
  public:
    DocumentOpener() = default;
    DocumentOpener(std::nullptr_t) {}
    template <typename Call>
    requires std::invocable<Call&, const std::string&> &&
        (!std::same_as<std::remove_cvref_t<Call>, DocumentOpener>)DocumentOpener(Call call) {
        if constexpr (std::is_void_v<std::invoke_result_t<Call&, const std::string&>>) {
            call_ = [call = std::move(call)](const std::string& path) mutable {
                call(path);
                return true;
            };
        } else {
            call_ = std::move(call);
        }
    }
    explicit operator bool() const { return static_cast<bool>(call_); }
    bool operator()(const std::string& path) const { return call_(path); }

  private:
    std::function<bool(const std::string&)> call_;
};

// An empty opener restores the default.
void SetDocumentOpener(DocumentOpener opener);

// The default opener, with the two program names to try; exposed so tests can run it with
// programs of their own. Returns whether a process was started.
bool LaunchDocumentViewer(const std::string& program, const std::string& fallbackProgram,
                          const std::string& path);

}  // namespace sg
