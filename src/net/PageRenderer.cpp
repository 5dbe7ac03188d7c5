#include "net/PageRenderer.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>
#include <unordered_map>

#include "net/DevToolsPipe.h"
#include "platform/PipedChild.h"
#include "platform/RunControl.h"

namespace sg {
namespace {

using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;

// Watches the lab figures from the start of each document: the largest contentful paint, the
// layout shifts not caused by input (summed) and the long tasks' time past 50 ms (summed). The
// reader takes the observers' pending records first, so nothing waits for their callbacks.
constexpr const char* kLabScript = R"JS((() => {
  const lab = {lcp: -1, cls: -1, tbt: -1};
  const observers = [];
  const watch = (type, take) => {
    try {
      const o = new PerformanceObserver(list => list.getEntries().forEach(take));
      o.observe({type, buffered: true});
      observers.push([o, take]);
      return true;
    } catch (e) { return false; }
  };
  watch('largest-contentful-paint', e => { lab.lcp = e.renderTime || e.loadTime || e.startTime; });
  if (watch('layout-shift', e => { if (!e.hadRecentInput) lab.cls += e.value; })) lab.cls = 0;
  if (watch('longtask', e => { lab.tbt += Math.max(0, e.duration - 50); })) lab.tbt = 0;
  Object.defineProperty(window, '__sitegaugeLab', {value: () => {
    observers.forEach(([o, take]) => o.takeRecords().forEach(take));
    return JSON.stringify(lab);
  }});
})();)JS";

constexpr const char* kDocumentScript =
    "(document.doctype ? new XMLSerializer().serializeToString(document.doctype) + '\\n' : '')"
    " + (document.documentElement ? document.documentElement.outerHTML : '')";

std::string Cut(std::string text, std::size_t bytes) {
    if (text.size() > bytes) {
        text.resize(bytes);
    }
    return text;
}

// What a console call printed: its arguments' values or descriptions, blank-separated.
std::string ConsoleText(const Json& params) {
    std::string text;
    const auto args = params.find("args");
    if (args == params.end() || !args->is_array()) {
        return text;
    }
    for (const Json& arg : *args) {
        if (!text.empty()) {
            text.push_back(' ');
        }
        const auto value = arg.find("value");
        if (value != arg.end() && value->is_string()) {
            text += value->get<std::string>();
        } else if (value != arg.end() && !value->is_null()) {
            text += value->dump();
        } else {
            text += arg.value("description", arg.value("type", std::string()));
        }
        if (text.size() > PageRenderer::kMaxConsoleErrorBytes) {
            break;
        }
    }
    return text;
}

std::string ExceptionText(const Json& params) {
    const Json details = params.value("exceptionDetails", Json::object());
    const Json exception = details.value("exception", Json::object());
    std::string text = exception.value("description", std::string());
    return text.empty() ? details.value("text", std::string()) : text;
}

double LabNumber(const Json& lab, const char* name) {
    const auto value = lab.find(name);
    return value != lab.end() && value->is_number() ? value->get<double>() : -1.0;
}

bool IsWebAddress(const std::string& url) {
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

std::string WithoutFragment(std::string url) {
    const std::size_t hash = url.find('#');
    if (hash != std::string::npos) {
        url.resize(hash);
    }
    return url;
}

}  // namespace

struct PageRenderer::Tab {
    std::string targetId;
    std::string sessionId;
};

struct PageRenderer::Browser {
    ~Browser() {
        pipe.reset();
        child.Stop();
        if (!profile.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(profile, ignored);
        }
    }

    PipedChild child;
    std::unique_ptr<DevToolsPipe> pipe;
    std::string profile;
    // Tabs opened and free, guarded by the renderer's mutex.
    std::vector<Tab> freeTabs;
};

std::string FindRenderBrowser() {
    const char* named = std::getenv("SITEGAUGE_CHROMIUM");
    return FindProgram(named != nullptr && *named != '\0' ? named : "chromium");
}

PageRenderer::PageRenderer(RendererOptions options) : options_(std::move(options)) {}

PageRenderer::~PageRenderer() {
    std::lock_guard<std::mutex> lock(mutex_);
    browser_.reset();
}

pid_t PageRenderer::BrowserPid() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return browser_ != nullptr ? browser_->child.Pid() : -1;
}

int PageRenderer::BrowserStarts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return starts_;
}

void PageRenderer::Wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (browser_ != nullptr && browser_->pipe != nullptr) {
        browser_->pipe->Wake();
    }
    changed_.notify_all();
}

std::shared_ptr<PageRenderer::Browser> PageRenderer::CurrentBrowser(RunControl& control,
                                                                    std::string& why) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (browser_ != nullptr && !browser_->pipe->Closed()) {
        return browser_;
    }
    browser_.reset();
    if (failedStarts_ >= 2) {
        why =
            "the browser " + options_.program + " could not be started; pages are read as fetched";
        return nullptr;
    }
    ++failedStarts_;
    auto browser = std::make_shared<Browser>();
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sitegauge-browser-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        why = "no folder could be made for the browser's profile";
        return nullptr;
    }
    browser->profile = pattern;
    // Nothing but the pages asked: no updates, sync, reports, safe browsing or first-run pages.
    std::vector<std::string> args = {
        "--headless",
        "--remote-debugging-pipe",
        "--user-data-dir=" + browser->profile,
        "--disable-gpu",
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
        "--disable-default-apps",
        "--disable-extensions",
        "--metrics-recording-only",
        "--disable-breakpad",
        "--disable-domain-reliability",
        "--disable-client-side-phishing-detection",
        "--safebrowsing-disable-auto-update",
        "--disable-features=SafeBrowsing,OptimizationHints,MediaRouter,Translate,"
        "InterestFeedContentSuggestions,AutofillServerCommunication",
        "--disable-quic",
        "--no-pings",
        "--mute-audio",
        "--password-store=basic",
        "--use-mock-keychain",
    };
    if (::geteuid() == 0) {
        args.push_back("--no-sandbox");
    }
    // The tabs share a renderer process per core rather than one each: the pages are of one
    // site, and eight renderers on two cores mostly cost memory (the whole tree measured
    // 1.6 GB against 1.3 GB, at the same speed).
    args.push_back("--renderer-process-limit=" +
                   std::to_string(std::clamp(static_cast<int>(std::thread::hardware_concurrency()),
                                             1, std::max(1, options_.tabs))));
    if (!options_.proxy.empty()) {
        args.push_back("--proxy-server=" + options_.proxy);
    }
    args.push_back("about:blank");
    if (browser->child.Start(options_.program, args) != PipedChild::kStarted) {
        why = "the browser " + options_.program + " could not be started";
        return nullptr;
    }
    ++starts_;
    browser->pipe =
        std::make_unique<DevToolsPipe>(browser->child.ReadFd(), browser->child.WriteFd());
    if (browser->pipe->Call("", "Browser.getVersion", Json::object(), options_.startBound,
                            control) != DevToolsPipe::kAnswered) {
        why = "the browser " + options_.program + " did not answer after its start";
        return nullptr;
    }
    failedStarts_ = 0;
    browser_ = browser;
    return browser;
}

void PageRenderer::Retire(const std::shared_ptr<Browser>& browser) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (browser_ == browser) {
        // Ends when the last page loading in it lets go.
        browser_.reset();
    }
}

bool PageRenderer::LookAtMemory(const std::shared_ptr<Browser>& browser) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const Clock::time_point now = Clock::now();
        if (now - lastMemoryLook_ < std::chrono::milliseconds(500) || browser_ != browser) {
            return true;
        }
        lastMemoryLook_ = now;
    }
    if (ProcessTreeMemory(browser->child.Pid()) <= options_.memoryBudget) {
        return true;
    }
    Retire(browser);
    return false;
}

bool PageRenderer::OpenTab(Browser& browser, Tab& tab, RunControl& control) {
    DevToolsPipe& pipe = *browser.pipe;
    Json created;
    if (pipe.Call("", "Target.createTarget", {{"url", "about:blank"}}, options_.commandBound,
                  control, &created) != DevToolsPipe::kAnswered) {
        return false;
    }
    tab.targetId = created.value("targetId", std::string());
    Json attached;
    if (pipe.Call("", "Target.attachToTarget", {{"targetId", tab.targetId}, {"flatten", true}},
                  options_.commandBound, control, &attached) != DevToolsPipe::kAnswered) {
        CloseTab(browser, tab);
        return false;
    }
    tab.sessionId = attached.value("sessionId", std::string());
    pipe.Listen(tab.sessionId, tab.targetId);
    for (const char* domain :
         {"Inspector.enable", "Page.enable", "Network.enable", "Runtime.enable", "Log.enable"}) {
        if (pipe.Call(tab.sessionId, domain, Json::object(), options_.commandBound, control) !=
            DevToolsPipe::kAnswered) {
            CloseTab(browser, tab);
            return false;
        }
    }
    if (pipe.Call(tab.sessionId, "Page.addScriptToEvaluateOnNewDocument", {{"source", kLabScript}},
                  options_.commandBound, control) != DevToolsPipe::kAnswered) {
        CloseTab(browser, tab);
        return false;
    }
    return true;
}

void PageRenderer::CloseTab(Browser& browser, const Tab& tab) {
    // Its own control: a cancelled run still closes what it opened.
    RunControl closing;
    browser.pipe->Call("", "Target.closeTarget", {{"targetId", tab.targetId}},
                       options_.commandBound, closing);
    browser.pipe->Forget(tab.sessionId);
}

PageRenderer::Outcome PageRenderer::Load(Browser& browser, Tab& tab, const std::string& url,
                                         RunControl& control, std::string& html,
                                         RenderFacts& facts) {
    DevToolsPipe& pipe = *browser.pipe;
    const auto failed = [&](int code, const char* what) {
        if (code == DevToolsPipe::kCancelled) {
            return Outcome::Cancelled;
        }
        if (code == DevToolsPipe::kClosed) {
            facts.notes.push_back("the browser ended while it loaded the page");
            return Outcome::BrowserFault;
        }
        if (code == DevToolsPipe::kRefused) {
            facts.notes.push_back(std::string("the browser refused ") + what);
            return Outcome::Failed;
        }
        facts.notes.push_back(std::string("the tab did not answer ") + what + " in time");
        return Outcome::TabFault;
    };
    // Events left from the page before are of no use.
    DevToolsEvent event;
    while (pipe.NextEvent(tab.sessionId, std::chrono::milliseconds(0), control, event) ==
           DevToolsPipe::kAnswered) {
    }
    const Clock::time_point start = Clock::now();
    Json navigated;
    int code = pipe.Call(tab.sessionId, "Page.navigate", {{"url", url}}, options_.commandBound,
                         control, &navigated);
    if (code != DevToolsPipe::kAnswered) {
        return failed(code, "the navigation");
    }
    if (const std::string error = navigated.value("errorText", std::string()); !error.empty()) {
        facts.notes.push_back("the browser could not load the page: " + error);
        return Outcome::Failed;
    }
    const std::string loaderId = navigated.value("loaderId", std::string());

    std::vector<RenderedRequest> requests;
    std::unordered_map<std::string, std::size_t> requestIndex;
    std::set<std::string> inFlight;
    std::set<std::string> ownAccord;
    bool loaded = false;
    bool requestsCut = false;
    Clock::time_point lastActivity = start;
    while (true) {
        const Clock::time_point now = Clock::now();
        if (now - start >= options_.loadBound) {
            facts.notes.push_back(loaded ? "taken at the load bound, before the network was quiet"
                                         : "taken at the load bound, before the load event");
            if (!loaded) {
                // A script that never yields would keep the document from being read.
                pipe.Call(tab.sessionId, "Runtime.terminateExecution", Json::object(),
                          options_.commandBound, control);
            }
            break;
        }
        if (loaded && inFlight.empty() && now - lastActivity >= options_.quiet) {
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(options_.loadBound -
                                                                                (now - start));
        code = pipe.NextEvent(tab.sessionId,
                              std::min(left, std::chrono::milliseconds(RunControl::kWaitSliceMs)),
                              control, event);
        if (code == DevToolsPipe::kTimedOut) {
            continue;
        }
        if (code != DevToolsPipe::kAnswered) {
            return failed(code, "");
        }
        const Json& p = event.params;
        const std::string& method = event.method;
        if (method == "Page.loadEventFired") {
            loaded = true;
            lastActivity = Clock::now();
        } else if (method == "Network.requestWillBeSent") {
            const std::string id = p.value("requestId", std::string());
            const Json request = p.value("request", Json::object());
            std::string address = WithoutFragment(request.value("url", std::string()));
            lastActivity = Clock::now();
            // The page itself, and what the browser asks of its own accord (the site's icon).
            if (id == loaderId || !IsWebAddress(address) ||
                (p.value("type", "") == "Other" &&
                 p.value("initiator", Json::object()).value("type", "") == "other")) {
                ownAccord.insert(std::move(address));
                continue;
            }
            const auto known = requestIndex.find(id);
            if (known != requestIndex.end() && p.contains("redirectResponse")) {
                requests[known->second].status = p["redirectResponse"].value("status", 0);
            }
            inFlight.insert(id);
            if (requests.size() >= kMaxRequests) {
                if (!requestsCut) {
                    facts.notes.push_back("requests past the first " +
                                          std::to_string(kMaxRequests) + " were not kept");
                    requestsCut = true;
                }
                continue;
            }
            requestIndex[id] = requests.size();
            requests.push_back({std::move(address), p.value("type", std::string()), 0, {}});
        } else if (method == "Network.responseReceived") {
            const auto known = requestIndex.find(p.value("requestId", std::string()));
            if (known != requestIndex.end()) {
                requests[known->second].status =
                    p.value("response", Json::object()).value("status", 0);
            }
        } else if (method == "Network.loadingFinished" || method == "Network.loadingFailed") {
            const std::string id = p.value("requestId", std::string());
            inFlight.erase(id);
            lastActivity = Clock::now();
            const auto known = requestIndex.find(id);
            if (method == "Network.loadingFailed" && known != requestIndex.end() &&
                requests[known->second].status == 0) {
                requests[known->second].failure = p.value("errorText", std::string());
            }
        } else if ((method == "Runtime.consoleAPICalled" && p.value("type", "") == "error") ||
                   method == "Runtime.exceptionThrown" ||
                   (method == "Log.entryAdded" &&
                    p.value("entry", Json::object()).value("level", "") == "error" &&
                    ownAccord.count(p["entry"].value("url", std::string())) == 0)) {
            if (facts.consoleErrors.size() < kMaxConsoleErrors) {
                std::string text = method == "Runtime.consoleAPICalled" ? ConsoleText(p)
                                   : method == "Runtime.exceptionThrown"
                                       ? ExceptionText(p)
                                       : p["entry"].value("text", std::string());
                facts.consoleErrors.push_back(Cut(std::move(text), kMaxConsoleErrorBytes));
            }
        } else if (method == "Inspector.targetCrashed" || method == "Target.targetCrashed" ||
                   method == "Target.detachedFromTarget") {
            facts.notes.push_back("the tab crashed while it loaded the page");
            return Outcome::TabFault;
        }
    }
    facts.requests = std::move(requests);

    Json lab;
    code = pipe.Call(tab.sessionId, "Runtime.evaluate",
                     {{"expression", "window.__sitegaugeLab ? window.__sitegaugeLab() : '{}'"},
                      {"returnByValue", true}},
                     options_.commandBound, control, &lab);
    if (code != DevToolsPipe::kAnswered) {
        return failed(code, "the reading of its lab figures");
    }
    const Json figures = Json::parse(
        lab.value("result", Json::object()).value("value", std::string("{}")), nullptr, false);
    if (figures.is_object()) {
        facts.lcpMs = LabNumber(figures, "lcp");
        facts.cls = LabNumber(figures, "cls");
        facts.tbtMs = LabNumber(figures, "tbt");
    }
    Json document;
    code = pipe.Call(tab.sessionId, "Runtime.evaluate",
                     {{"expression", kDocumentScript}, {"returnByValue", true}},
                     options_.commandBound, control, &document);
    if (code != DevToolsPipe::kAnswered) {
        return failed(code, "the reading of its document");
    }
    html = document.value("result", Json::object()).value("value", std::string());
    return Outcome::Loaded;
}

int PageRenderer::Render(const std::string& url, RunControl& control, std::string& html,
                         RenderFacts& facts) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (control.CancelRequested()) {
            return kCancelled;
        }
        std::string why;
        std::shared_ptr<Browser> browser = CurrentBrowser(control, why);
        if (browser == nullptr) {
            facts.notes.push_back(why);
            return kNoBrowser;
        }
        // A tab of our own: a free one of this browser, else a new one while there is room.
        Tab tab;
        bool haveTab = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            while (busyTabs_ >= options_.tabs) {
                if (control.CancelRequested()) {
                    return kCancelled;
                }
                changed_.wait_for(lock, std::chrono::milliseconds(RunControl::kWaitSliceMs));
            }
            ++busyTabs_;
            if (!browser->freeTabs.empty()) {
                tab = std::move(browser->freeTabs.back());
                browser->freeTabs.pop_back();
                haveTab = true;
            }
        }
        const auto release = [this] {
            std::lock_guard<std::mutex> lock(mutex_);
            --busyTabs_;
            changed_.notify_all();
        };
        if (!haveTab && !OpenTab(*browser, tab, control)) {
            release();
            if (control.CancelRequested()) {
                return kCancelled;
            }
            // A busy machine can be slow to open a tab: the browser is replaced only when it no
            // longer answers at all.
            if (browser->pipe->Call("", "Browser.getVersion", Json::object(), options_.commandBound,
                                    control) == DevToolsPipe::kAnswered) {
                facts.notes.push_back("the browser did not open a tab in time");
                continue;
            }
            facts.notes.push_back(browser->pipe->Closed()
                                      ? "the browser ended; it was started again"
                                      : "the browser stopped answering; it was started again");
            Retire(browser);
            continue;
        }
        const Outcome outcome = Load(*browser, tab, url, control, html, facts);
        switch (outcome) {
            case Outcome::Loaded:
            case Outcome::Failed: {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    browser->freeTabs.push_back(std::move(tab));
                }
                release();
                if (!LookAtMemory(browser)) {
                    facts.notes.push_back(
                        "the browser passed its memory budget; it is started again");
                }
                return outcome == Outcome::Loaded ? kRendered : kNotRendered;
            }
            case Outcome::Cancelled:
                CloseTab(*browser, tab);
                release();
                return kCancelled;
            case Outcome::TabFault:
                CloseTab(*browser, tab);
                release();
                facts.notes.push_back(attempt == 0
                                          ? "the tab was replaced and the page loaded again"
                                          : "the tab was replaced");
                break;
            case Outcome::BrowserFault:
                release();
                Retire(browser);
                facts.notes.push_back(
                    attempt == 0 ? "the browser was started again and the page loaded again"
                                 : "the browser was started again");
                break;
        }
    }
    return kNotRendered;
}

}  // namespace sg
