// Pages rendered by the real chromium, in a network namespace of the test's own: what scripts
// made reaches the answer, the browser's requests, lab figures and errors are kept, only the
// run's sites are rendered, and a hung tab, a killed browser and the memory budget leave the
// renderer going.

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/PageRenderer.h"
#include "net/RenderFetcher.h"
#include "net/WebFetcher.h"
#include "platform/RunControl.h"
#include "support/FixtureSite.h"
#include "support/IsolatedNetwork.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

// Title, description, canonical, robots and links all made or changed by script; an image
// that is missing, a console error, and a banner that pushes the text down after it was shown.
const std::string kScripted = R"(<!DOCTYPE html><html><head><title>Before</title>
<link rel="canonical" href="/a.html"></head><body><p>static text of the page</p><script>
document.title = 'Made by script';
const d = document.createElement('meta'); d.name = 'description';
d.content = 'Described by script'; document.head.appendChild(d);
document.querySelector('link[rel=canonical]').href = '/b.html';
const r = document.createElement('meta'); r.name = 'robots'; r.content = 'noindex';
document.head.appendChild(r);
for (const to of ['/about.html', '/missing.html']) {
  const a = document.createElement('a'); a.href = to; a.textContent = to;
  document.body.appendChild(a);
}
const i = document.createElement('img'); i.src = '/gone.png'; document.body.appendChild(i);
console.error('made', 'by script');
setTimeout(() => { const s = document.createElement('div'); s.style.height = '400px';
  s.textContent = 'late banner'; document.body.prepend(s); }, 300);
</script></body></html>)";

const std::string kHang =
    "<html><head><title>Hangs</title></head><body><p>before the loop</p>"
    "<script>while (true) {}</script></body></html>";
const std::string kSlow =
    "<html><head><title>Slow</title></head><body>"
    "<img src=\"/slow.png\"></body></html>";

std::string Responder(const std::string& path) {
    if (path == "/" || path == "/about.html") {
        return test::HtmlPage(kScripted);
    }
    if (path == "/hang.html") {
        return test::HtmlPage(kHang);
    }
    if (path == "/slow.html") {
        return test::HtmlPage(kSlow);
    }
    if (path == "/slow.png") {
        std::this_thread::sleep_for(2500ms);
    }
    return test::MissingPage("<html><h1>404 Not Found</h1></html>");
}

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        ASSERT_TRUE(test::EnterIsolatedNetwork(why)) << why;
        browser_ = FindRenderBrowser();
        ASSERT_FALSE(browser_.empty()) << kNoRenderBrowserText;
        // Servers after the move: their sockets live in the test's namespace.
        site_ = std::make_unique<test::FixtureSite>(&Responder,
                                                    test::LoopbackServer::Serving::Concurrently);
    }

    RendererOptions Options() const {
        RendererOptions options;
        options.program = browser_;
        options.tabs = 2;
        options.loadBound = 2500ms;
        options.quiet = 300ms;
        options.commandBound = 5000ms;
        return options;
    }

    Url Page(const std::string& path, const std::string& host = "127.0.0.1") const {
        return *Url::Parse("http://" + host + ":" + std::to_string(site_->Port()) + path);
    }

    std::string browser_;
    std::unique_ptr<test::FixtureSite> site_;
};

bool HasNote(const RenderFacts& facts, const std::string& note) {
    return std::find(facts.notes.begin(), facts.notes.end(), note) != facts.notes.end();
}

TEST_F(RenderTest, ScriptsShapeTheAnswerOfTheSitesPagesAndOthersPassAsFetched) {
    WebFetcher web;
    PageRenderer renderer(Options());
    RenderFetcher fetcher(web, renderer, HostsOf({site_->Url("/")}), 2);

    const Answer page = fetcher.Fetch(Page("/"));
    ASSERT_NE(page.rendered, nullptr);
    EXPECT_EQ(page.StatusCode(), 200);
    EXPECT_THAT(page.ContentTypeLine(), HasSubstr("text/html"));
    const std::string& body = page.BodyText();
    EXPECT_THAT(body, HasSubstr("<title>Made by script</title>"));
    EXPECT_THAT(body, HasSubstr("<meta name=\"description\" content=\"Described by script\">"));
    EXPECT_THAT(body, HasSubstr("<link rel=\"canonical\" href=\"/b.html\">"));
    EXPECT_THAT(body, HasSubstr("<meta name=\"robots\" content=\"noindex\">"));
    EXPECT_THAT(body, HasSubstr("<a href=\"/missing.html\">"));
    const RenderFacts& facts = *page.rendered;
    EXPECT_EQ(facts.sourceBody, kScripted);
    EXPECT_TRUE(facts.notes.empty()) << facts.notes.front();
    // The image the script asked for, answered 404; the page itself is not a request of its own.
    ASSERT_EQ(facts.requests.size(), 1u);
    EXPECT_EQ(facts.requests[0].url,
              "http://127.0.0.1:" + std::to_string(site_->Port()) + "/gone.png");
    EXPECT_EQ(facts.requests[0].type, "Image");
    EXPECT_EQ(facts.requests[0].status, 404);
    EXPECT_GT(facts.cls, 0.05);
    EXPECT_GT(facts.lcpMs, 0);
    EXPECT_GE(facts.tbtMs, 0);
    EXPECT_THAT(facts.consoleErrors, ::testing::Contains("made by script"));

    // Another host (the same server by another name), a HEAD and a fetch that failed are
    // answered as fetched.
    const Answer other = fetcher.Fetch(Page("/", "localhost"));
    EXPECT_EQ(other.rendered, nullptr);
    EXPECT_EQ(other.BodyText(), kScripted);
    EXPECT_EQ(fetcher.Fetch(FetchRequest(Page("/about.html"), true)).rendered, nullptr);
    EXPECT_EQ(site_->CountRequests("HEAD /about.html"), 1);
}

TEST_F(RenderTest, AHungTabAKilledBrowserAndTheMemoryBudgetLeaveTheRendererGoing) {
    RunControl control;
    {
        PageRenderer renderer(Options());
        std::string html;
        RenderFacts hung;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(renderer.Render(Page("/hang.html").Text(), control, html, hung),
                  PageRenderer::kRendered);
        // Taken as it was at the load bound, in the tab it hung, within a bounded time.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
        EXPECT_EQ(hung.notes,
                  std::vector<std::string>{"taken at the load bound, before the load event"});
        EXPECT_THAT(html, HasSubstr("before the loop"));

        // The browser dies while a page waits for its image: started again, the page again.
        RenderFacts killed;
        auto rendering = std::async(std::launch::async, [&] {
            std::string document;
            const int code = renderer.Render(Page("/slow.html").Text(), control, document, killed);
            return std::make_pair(code, document);
        });
        std::this_thread::sleep_for(1200ms);
        ASSERT_GT(renderer.BrowserPid(), 0);
        ::kill(renderer.BrowserPid(), SIGKILL);
        const auto [code, document] = rendering.get();
        EXPECT_EQ(code, PageRenderer::kRendered);
        EXPECT_THAT(document, HasSubstr("<title>Slow</title>"));
        EXPECT_TRUE(HasNote(killed, "the browser was started again and the page loaded again"));
        EXPECT_EQ(renderer.BrowserStarts(), 2);
    }
    RendererOptions tight = Options();
    tight.memoryBudget = 1;
    PageRenderer renderer(tight);
    for (int page = 1; page <= 2; ++page) {
        std::string html;
        RenderFacts facts;
        ASSERT_EQ(renderer.Render(Page("/about.html").Text(), control, html, facts),
                  PageRenderer::kRendered);
        EXPECT_TRUE(HasNote(facts, "the browser passed its memory budget; it is started again"));
        EXPECT_EQ(renderer.BrowserStarts(), page);
    }
}

}  // namespace
}  // namespace sg
