#pragma once
// Shows a file (a report, a help page) with the user's program for its type.

#include <chrono>
#include <concepts>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>

namespace sg {

// How the program started to show one document is faring. A viewer that ends with an error at
// once (a browser that refuses to run as root, say, which makes xdg-open exit 4) shows nothing,
// so a front end tells the user where the file is, as when no viewer could start at all.
class DocumentLaunch : public std::enable_shared_from_this<DocumentLaunch> {
  public:
    // Result(): a viewer ended with exit status 0, or still runs after the grace period.
    static constexpr int kShown = 0;
    // Neither xdg-open nor $BROWSER could be started.
    static constexpr int kNoViewer = 1;
    // Each viewer that started ended within the grace period with an error (an exit status
    // other than 0, or a signal).
    static constexpr int kViewerFailed = 2;
    // Not settled yet: a viewer runs and the grace period has not passed.
    static constexpr int kPending = 3;

    // How long a viewer must run, or end well, to count as showing the document: xdg-open is a
    // shell script that reads the desktop files before it starts the browser, which took 4.4 s
    // on a busy two-core machine, so "at once" allows for that.
    static constexpr std::chrono::milliseconds kDefaultGrace{10000};

    DocumentLaunch(std::chrono::milliseconds grace, std::string fallback, std::string path);
    DocumentLaunch(const DocumentLaunch&) = delete;
    DocumentLaunch& operator=(const DocumentLaunch&) = delete;

    // A settled result, without waiting: set by the opener, or by a viewer (one of the
    // constants above, kPending until it is known). Never changes once it is not kPending.
    int Result() const;
    // Result(), waiting at most `timeout` for it to settle.
    int WaitFor(std::chrono::milliseconds timeout) const;
    // Whether a viewer process was started (true also once it has failed).
    bool Started() const;

    // For the opener: settles at once with `result`.
    void Settle(int result);
    // For the opener (the object must be owned by a shared_ptr): starts `program path`, false
    // when it could not be started. A thread then reaps it and, when it fails within the grace
    // period and it is not the fallback itself, starts the fallback.
    bool Start(const std::string& program, bool isFallback);

  private:
    using Clock = std::chrono::steady_clock;
    // On the reaping thread: waits for the viewer and settles, or starts the fallback.
    void Watch(int pid, bool isFallback);
    int ResultLocked() const;

    const Clock::time_point deadline_;
    const std::string fallback_;
    const std::string path_;
    mutable std::mutex mutex_;
    mutable std::condition_variable settled_;
    // Settles to kShown in Result() once the grace has passed with a viewer running.
    mutable int result_ = kPending;
    bool started_ = false;
};

// Starts `xdg-open path` (or, when that cannot start or ends with an error at once,
// `$BROWSER path`) without a shell, and returns without waiting for it; the result settles
// within DocumentLaunch::kDefaultGrace. A custom opener (SetDocumentOpener) settles at once.
std::shared_ptr<const DocumentLaunch> LaunchDocument(const std::string& path);

// LaunchDocument, answering only whether a program started (not whether it went on to show
// the file), for a caller that cannot wait.
bool OpenDocument(const std::string& path);

// What LaunchDocument does instead of the default (tests record the paths; the GUI may use its
// own opener). An opener that returns nothing counts as shown; one that returns bool says
// whether it showed the file (false settles as kNoViewer).
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

// The default opener, with the two program names to try and the grace period; exposed so
// tests can run it with programs of their own.
std::shared_ptr<DocumentLaunch> LaunchDocumentViewer(
    const std::string& program, const std::string& fallbackProgram, const std::string& path,
    std::chrono::milliseconds grace = DocumentLaunch::kDefaultGrace);

}  // namespace sg
