#pragma once
// Pages loaded in a headless browser (Debian's chromium over its debugging pipe): one browser
// for the life of the renderer, started at the first page with a fresh profile folder (removed
// when it ends), and up to `tabs` tabs used at once. A page counts as loaded at its load event
// once the network has been quiet for a while; past the load bound it is taken as it is, with a
// note. A tab that crashes or stops answering is closed and replaced, a browser that ends is
// started again, and in both cases the page is loaded once more; a browser whose processes use
// more memory than the budget is replaced between pages. What the renderer had to do is said in
// the page's notes.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "net/RenderFacts.h"

namespace sg {

class RunControl;

struct RendererOptions {
    // The browser to start (a path or a name on PATH).
    std::string program = "chromium";
    // Tabs loading pages at once.
    int tabs = 1;
    // From the start of a load to taking the document whatever its state.
    std::chrono::milliseconds loadBound{10000};
    // No request in flight for this long after the load event: the page is loaded.
    std::chrono::milliseconds quiet{500};
    // The longest wait for the browser's answer to one command; a tab silent for longer is
    // stuck.
    std::chrono::milliseconds commandBound{10000};
    // The longest wait for a started browser's first answer.
    std::chrono::milliseconds startBound{20000};
    // The memory of the browser's processes (proportional set sizes) past which it is replaced.
    std::size_t memoryBudget = std::size_t{1} << 30;
    // "host:port" of the proxy the browser's requests go through; empty: straight to the site.
    std::string proxy;
};

// The browser that renders pages: $SITEGAUGE_CHROMIUM when set (a path or a name on PATH), else
// "chromium" on PATH; empty when there is none.
std::string FindRenderBrowser();
// Why a run that wants rendering cannot have it.
inline constexpr std::string_view kNoRenderBrowserText =
    "rendering needs Debian's chromium, which was not found (install the package chromium, or "
    "name the browser in SITEGAUGE_CHROMIUM)";

class PageRenderer {
  public:
    // Results of Render.
    static constexpr int kRendered = 0;
    // The browser could not be started (or answered nothing in time).
    static constexpr int kNoBrowser = 1;
    // The page could not be rendered, even when loaded again (the notes say why).
    static constexpr int kNotRendered = 2;
    static constexpr int kCancelled = 3;

    // Console errors kept per page, and bytes kept of each.
    static constexpr std::size_t kMaxConsoleErrors = 50;
    static constexpr std::size_t kMaxConsoleErrorBytes = 500;
    // Requests kept per page.
    static constexpr std::size_t kMaxRequests = 2000;

    explicit PageRenderer(RendererOptions options);
    // Ends the browser and removes its profile folder.
    ~PageRenderer();
    PageRenderer(const PageRenderer&) = delete;
    PageRenderer& operator=(const PageRenderer&) = delete;

    // Loads `url` in a free tab (waiting for one within slices of `control`) and gives the
    // document after its scripts in `html` and what the browser saw in `facts` (requests, lab
    // figures, console errors, notes; sourceBody is left as it is). Any thread. Bounded: about
    // twice the load bound and a few command bounds, a browser start, and the wait for a tab.
    int Render(const std::string& url, RunControl& control, std::string& html, RenderFacts& facts);

    // The running browser's process id; -1 while none runs.
    pid_t BrowserPid() const;
    // Browsers started so far.
    int BrowserStarts() const;
    // Waits of Render look at their controls now.
    void Wake();

  private:
    struct Browser;
    struct Tab;
    enum class Outcome { Loaded, TabFault, BrowserFault, Cancelled, Failed };

    std::shared_ptr<Browser> CurrentBrowser(RunControl& control, std::string& why);
    Outcome Load(Browser& browser, Tab& tab, const std::string& url, RunControl& control,
                 std::string& html, RenderFacts& facts);
    bool OpenTab(Browser& browser, Tab& tab, RunControl& control);
    void CloseTab(Browser& browser, const Tab& tab);
    void Retire(const std::shared_ptr<Browser>& browser);
    // False when the browser's processes were past the budget and it was retired (looked at
    // no more often than every 500 ms).
    bool LookAtMemory(const std::shared_ptr<Browser>& browser);

    const RendererOptions options_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::shared_ptr<Browser> browser_;
    int starts_ = 0;
    // Starts that failed one after the other; past two the renderer gives up for good.
    int failedStarts_ = 0;
    int busyTabs_ = 0;
    std::chrono::steady_clock::time_point lastMemoryLook_{};
};

}  // namespace sg
