// The Site Audit end to end through sitegauge-cli: two loopback sites of the test's own on which
// every check fires exactly where it was planted and nowhere else (clean pages included), read
// back from --json; --csv; and the exit codes of --fail-on.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/CliRunner.h"
#include "demo/DemoCertificate.h"
#include "net/TlsServerContext.h"
#include "platform/FileSystem.h"
#include "reports/CsvText.h"
#include "reports/PreviousReports.h"
#include "support/FixtureSite.h"
#include "support/Gzip.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using Json = nlohmann::json;

using test::Gzip;

// What a page holds; by default nothing any check minds: a title of 30 to 60 characters, a
// description of 70 to 155, one short h1 and over 200 words, each its own.
struct Page {
    std::string name;
    // What the visible text and the h1 are made of (the name unless two pages share it).
    std::string text;
    std::vector<std::string> titles;
    std::vector<std::string> descriptions;
    std::vector<std::string> h1s;
    std::string head;
    std::string body;
    std::size_t words = 210;
    std::string lang = "en";
    // At the bound: a maximum-scale of 5 lets readers zoom enough.
    std::string viewport = "width=device-width, maximum-scale=5";
    bool metaCharset = true;
    // The charset's meta tag after a comment that takes it past the first 1024 bytes.
    bool lateCharset = false;
    bool doctype = true;

    explicit Page(std::string pageName, std::string textName = "")
        : name(std::move(pageName)), text(textName.empty() ? name : std::move(textName)) {
        titles = {"The " + name + " page of the audit test site"};
        descriptions = {"This is the " + name +
                        " page of the audit test site, with one case of the audit on it."};
        h1s = {"About " + text};
    }

    std::string Html() const {
        std::string html =
            std::string(doctype ? "<!DOCTYPE html>" : "") + "<html" +
            (lang.empty() ? "" : " lang=\"" + lang + "\"") + "><head>" +
            (lateCharset ? "<!-- " + std::string(1100, 'x') + " -->" : "") +
            (metaCharset ? "<meta charset=\"utf-8\">" : "") +
            (viewport.empty() ? "" : "<meta name=\"viewport\" content=\"" + viewport + "\">");
        for (const std::string& title : titles) {
            html += "<title>" + title + "</title>";
        }
        for (const std::string& description : descriptions) {
            html += "<meta name=\"description\" content=\"" + description + "\">";
        }
        html += head + "</head><body>";
        for (const std::string& h1 : h1s) {
            html += "<h1>" + h1 + "</h1>";
        }
        html += "<p>";
        for (std::size_t i = 0; i < words; ++i) {
            html += "word" + std::to_string(i) + text + " ";
        }
        return html + "</p>" + body + "</body></html>";
    }
};

// A page sent gzip-compressed, as a server does for a crawl that offers it (the analyses read
// it decoded), or as it is.
std::string Ok(const std::string& html, const std::string& headers = "", bool gzip = true) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n" +
           std::string(gzip ? "Content-Encoding: gzip\r\n" : "") + headers + "\r\n" +
           (gzip ? Gzip(html) : html);
}

// The head of a resource (the crawl asks for heads only), its size in Content-Length.
std::string Resource(const std::string& type, std::size_t size, const std::string& headers) {
    return "HTTP/1.0 200 OK\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(size) + "\r\n" + headers + "\r\n";
}

constexpr const char* kYear = "Cache-Control: public, max-age=31536000\r\n";

std::string Status(int code, const std::string& headers = "") {
    return "HTTP/1.0 " + std::to_string(code) + " X\r\nContent-Type: text/html\r\n" + headers +
           "\r\n<html><body>status " + std::to_string(code) + "</body></html>";
}

std::string Redirect(const std::string& to) {
    return "HTTP/1.0 301 Moved Permanently\r\nLocation: " + to +
           "\r\nContent-Type: text/html\r\n\r\n";
}

std::string Typed(const std::string& type, const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: " + type + "\r\n\r\n" + body;
}

// The site whose pages plant every check but robots-txt-unreachable and sitemap-missing.
class PlantedSite {
  public:
    PlantedSite()
        : site_([this](const std::string& path) { return Answer(path); },
                test::LoopbackServer::Serving::Concurrently) {
        Add(Page("home"));
        // A structured data block that is fine, as the clean page is in every respect: links to
        // itself by "#" and "", a name in code that reads like a generic phrase, a language
        // with a region of three digits.
        Page clean("clean");
        clean.lang = "es-419";
        clean.body =
            "<a href=\"#\">top</a> <a href=\"\">this page</a> "
            "<a href=\"/clean.html\"><code>continue</code></a>";
        Add(clean, "<link rel=\"canonical\" href=\"" + Absolute("/clean.html") +
                       "\"><script type=\"application/ld+json\">[{\"@context\": "
                       "\"https://schema.org\", \"@type\": \"WebPage\"}]</script>");
        Add(Page("chained"));
        Add(Page("unlisted"));
        Add(Page("orphan"));
        Add(Page("private"));
        for (const char* name : {"typo", "docs", "bing-only", "star-bot"}) {
            Add(Page(name));
        }
        Page noindex("noindex");
        noindex.head = "<meta name=\"ROBOTS\" content=\"noindex, nofollow\">";
        Add(noindex);
        Add(Page("xrobots"));
        Page expired("expired");
        expired.head = "<meta name=\"googlebot\" content=\"unavailable_after: 2001-01-01\">";
        Add(expired);
        Add(Page("canon-relative"), "<link rel=\"canonical\" href=\"/clean.html\">");
        Add(Page("canon-file"), "<link rel=\"canonical\" href=\"file:///srv/www/clean.html\">");
        Add(Page("canon-two"), "<link rel=\"canonical\" href=\"" + Absolute("/clean.html") +
                                   "\"><link rel=\"canonical\" href=\"" +
                                   Absolute("/chained.html") + "\">");
        Add(Page("canon-elsewhere"),
            "<link rel=\"canonical\" href=\"" + Absolute("/clean.html") + "\">");
        Add(Page("canon-bad"),
            "<link rel=\"canonical\" href=\"" + Absolute("/canon-target-gone.html") + "\">");
        Page noTitle("no-title");
        noTitle.titles.clear();
        Add(noTitle);
        Page twoTitles("two-titles");
        twoTitles.titles.push_back("A second title of the two-titles page");
        Add(twoTitles);
        for (const char* name : {"dup-a", "dup-b"}) {
            Page dup(name);
            dup.titles = {"The same title on two pages of the site"};
            Add(dup);
        }
        Page longTitle("long-title");
        longTitle.titles = {"A title of the long-title page that goes on well past sixty chars"};
        Add(longTitle);
        Page shortTitle("short-title");
        shortTitle.titles = {"Short title"};
        Add(shortTitle);
        Page noDesc("no-desc");
        noDesc.descriptions.clear();
        Add(noDesc);
        Page twoDescs("two-descs");
        twoDescs.descriptions.push_back(
            "A second description of the two-descs page, long enough for its bounds here.");
        Add(twoDescs);
        for (const char* name : {"ddup-a", "ddup-b"}) {
            Page dup(name);
            dup.descriptions = {
                "The same description on two pages of the audit test site, which it minds."};
            Add(dup);
        }
        Page longDesc("long-desc");
        longDesc.descriptions = {std::string(160, 'd')};
        Add(longDesc);
        Page shortDesc("short-desc");
        shortDesc.descriptions = {"Too short a description."};
        Add(shortDesc);
        Page noH1("no-h1");
        noH1.h1s.clear();
        Add(noH1);
        Page twoH1("two-h1");
        twoH1.h1s.push_back("Another heading");
        Add(twoH1);
        Page longH1("long-h1");
        longH1.h1s = {"A heading of the long-h1 page that is longer than seventy characters, too"};
        Add(longH1);
        Page thin("thin");
        thin.words = 50;
        Add(thin);
        // The same visible text, told apart by title and description only.
        Add(Page("copy-a", "copy"));
        Add(Page("copy-b", "copy"));

        // The checks of speed, images, links, languages and documents.
        for (const char* name : {"slow", "slow-once", "uncompressed", "no-return", "hreflang-fr"}) {
            Add(Page(name));
        }
        Page huge("huge");
        huge.words = 150000;
        hugeAnswer_ = Ok(huge.Html());
        Add(huge);
        const std::map<std::string, std::string> bodies = {
            {"heavy",
             "<script src=\"/heavy.js\"></script>"
             "<img src=\"/missing.png\" alt=\"gone\" width=\"9\" height=\"9\">"},
            {"big-image",
             "<img src=\"/big.png\" alt=\"big\" width=\"9\" height=\"9\">"
             "<link rel=\"stylesheet\" href=\"/short.css\">"},
            {"short-cache", "<link rel=\"stylesheet\" href=\"/short.css\">"},
            {"no-alt", "<img src=\"/logo.png\" width=\"9\" height=\"9\">"},
            {"long-alt", "<img src=\"/logo.png\" alt=\"" + std::string(101, 'a') +
                             "\" width=\"9\" height=\"9\">"},
            {"no-size", "<img src=\"/logo.png\" alt=\"logo\" width=\"9\">"},
            {"generic", "<a href=\"/clean.html\"> Read  More </a>"},
            {"js-link", "<a href=\"javascript:void(0)\">menu</a>"},
            {"onclick-link", "<a onclick=\"open()\">menu</a>"},
            {"bad-json",
             "<script type=\"application/ld+json\">{\"@context\": "
             "\"https://schema.org\", \"name\": \"no type\"}</script>"},
        };
        for (const auto& [name, body] : bodies) {
            Page page(name);
            page.body = body;
            Add(page);
        }
        Page noLang("no-lang");
        noLang.lang.clear();
        Add(noLang);
        Page badLang("bad-lang");
        badLang.lang = "english";
        Add(badLang);
        Page noViewport("no-viewport");
        noViewport.viewport.clear();
        Add(noViewport);
        Page noZoom("no-zoom");
        noZoom.viewport = "width=device-width, user-scalable=no";
        Add(noZoom);
        Page smallZoom("small-zoom");
        smallZoom.viewport = "width=device-width; maximum-scale=4.9";
        Add(smallZoom);
        Page lateCharset("late-charset");
        lateCharset.lateCharset = true;
        Add(lateCharset);
        Page noDoctype("no-doctype");
        noDoctype.doctype = false;
        Add(noDoctype);
        Page noCharset("no-charset");
        noCharset.metaCharset = false;
        Add(noCharset);
        Add(Page("hreflang"), Alternate("en", Absolute("/hreflang.html")) +
                                  Alternate("en_US", Absolute("/hreflang.html")) +
                                  Alternate("de", Absolute("/hreflang-de.html")) +
                                  Alternate("fr", "/hreflang-fr.html") +
                                  Alternate("es", Absolute("/no-return.html")));
        Add(Page("hreflang-de"), Alternate("en", Absolute("/hreflang.html")) +
                                     Alternate("de-AT", Absolute("/hreflang-de.html")) +
                                     Alternate("X-Default", Absolute("/hreflang.html")));
    }

    std::string Url(const std::string& path = "/") const { return site_.Url(path); }

    // The pages the start page links to (with /chain1, /loop1, /gone.html, /error.html and
    // an image that is missing).
    static std::vector<std::string> Linked() {
        std::vector<std::string> linked = {"/clean.html",
                                           "/chain1",
                                           "/loop1",
                                           "/gone.html",
                                           "/error.html",
                                           "/unlisted.html",
                                           "/private/page.html",
                                           "/noindex.html",
                                           "/xrobots.html",
                                           "/expired.html",
                                           "/canon-relative.html",
                                           "/canon-two.html",
                                           "/canon-elsewhere.html",
                                           "/canon-bad.html"};
        const std::vector<std::string> planted = PlantedPages();
        linked.insert(linked.end(), planted.begin(), planted.end());
        linked.insert(linked.end(),
                      {"/typo/page.html", "/docs/", "/bing-only/page.html", "/star-bot/page.html"});
        return linked;
    }

    // The pages that plant one check each, linked from the start page and listed in the
    // sitemap alike.
    static std::vector<std::string> PlantedPages() {
        return {"/no-title.html",   "/two-titles.html",  "/dup-a.html",       "/dup-b.html",
                "/long-title.html", "/short-title.html", "/no-desc.html",     "/two-descs.html",
                "/ddup-a.html",     "/ddup-b.html",      "/long-desc.html",   "/short-desc.html",
                "/no-h1.html",      "/two-h1.html",      "/long-h1.html",     "/thin.html",
                "/copy-a.html",     "/copy-b.html",      "/slow.html",        "/uncompressed.html",
                "/huge.html",       "/heavy.html",       "/big-image.html",   "/short-cache.html",
                "/no-alt.html",     "/long-alt.html",    "/no-size.html",     "/generic.html",
                "/js-link.html",    "/no-lang.html",     "/no-viewport.html", "/bad-json.html",
                "/no-charset.html", "/hreflang.html",    "/hreflang-de.html", "/hreflang-fr.html",
                "/no-return.html",  "/canon-file.html",  "/slow-once.html",   "/onclick-link.html",
                "/bad-lang.html",   "/no-zoom.html",     "/small-zoom.html",  "/late-charset.html",
                "/no-doctype.html"};
    }

  private:
    std::string Absolute(const std::string& path) const { return "http://" + site_.Url(path); }

    static std::string Alternate(const std::string& code, const std::string& href) {
        return "<link rel=\"alternate\" hreflang=\"" + code + "\" href=\"" + href + "\">";
    }

    void Add(Page page, std::string head = "") {
        page.head += head;
        pages_.insert_or_assign(page.name, std::move(page));
    }

    std::string Html(const std::string& name) const {
        const Page& page = pages_.at(name);
        if (name != "home") {
            return page.Html();
        }
        Page home = page;
        for (const std::string& path : Linked()) {
            home.body += "<a href=\"" + path + "\">" + path + "</a> ";
        }
        home.body += "<img src=\"/missing.png\" alt=\"gone\" width=\"9\" height=\"9\">";
        return home.Html();
    }

    std::string Answer(const std::string& path) const {
        if (path == "/") {
            return Ok(Html("home"));
        }
        if (path == "/robots.txt") {
            return Typed("text/plain",
                         "User-agent: *\nDisallow: /private/\nDisalow: /typo/\nDisallow: /docs/\n"
                         "Allow: /docs/index.html\n\n"
                         "User-agent: Bingbot\nDisallow: /private/\nDisallow: /docs/\n"
                         "Disallow: /bing-only/\n\nUser-agent: *bot\nDisallow: /star-bot/\n\n"
                         "User-agent: GPTBot\nDisallow: /\n\nUser-agent: CCBot\nDisallow: /\n\n"
                         "Crawl-delay: 5\nNoindex: /x\nSitemap: " +
                             Absolute("/sitemap-index.xml") + "\n");
        }
        if (path == "/sitemap-index.xml") {
            return Typed("application/xml",
                         "<?xml version=\"1.0\"?><sitemapindex "
                         "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"><sitemap><loc>" +
                             Absolute("/sitemap-pages.xml.gz") + "</loc></sitemap><sitemap><loc>" +
                             Absolute("/sitemap-broken.xml") + "</loc></sitemap></sitemapindex>");
        }
        if (path == "/sitemap-broken.xml") {
            return Typed("application/xml", "<urlset><url><loc>" + Absolute("/clean.html"));
        }
        if (path == "/sitemap-pages.xml.gz") {
            std::string xml =
                "<?xml version=\"1.0\"?><urlset "
                "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
            std::vector<std::string> listed = {"/",
                                               "/clean.html",
                                               "/chained.html",
                                               "/orphan.html",
                                               "/noindex.html",
                                               "/canon-relative.html",
                                               "/canon-two.html"};
            const std::vector<std::string> planted = PlantedPages();
            listed.insert(listed.end(), planted.begin(), planted.end());
            listed.push_back("/star-bot/page.html");
            for (const std::string& path : listed) {
                xml += "<url><loc>" + Absolute(path) + "</loc></url>";
            }
            // The same page by another name of the host: engines take no address of another
            // host from this sitemap.
            xml += "<url><loc>http://localhost:" + std::to_string(site_.Port()) +
                   "/clean.html</loc></url>";
            return Typed("application/gzip", Gzip(xml + "</urlset>"));
        }
        if (path == "/chain1") {
            return Redirect("/chain2");
        }
        if (path == "/chain2") {
            return Redirect(Absolute("/chained.html"));
        }
        if (path == "/loop1") {
            return Redirect("/loop2");
        }
        if (path == "/loop2") {
            return Redirect("/loop1");
        }
        if (path == "/error.html") {
            return Status(500);
        }
        if (path == "/private/page.html") {
            return Ok(Html("private"));
        }
        // Pages robots.txt keeps from one engine only, or from none.
        for (const char* folder : {"typo", "docs", "bing-only", "star-bot"}) {
            if (path == "/" + std::string(folder) + "/page.html" ||
                path == "/" + std::string(folder) + "/") {
                return Ok(Html(folder));
            }
        }
        if (path == "/slow.html") {
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            return Ok(Html("slow"));
        }
        // Slow at the first request only, as under a moment's load.
        if (path == "/slow-once.html") {
            if (slowOnceAsked_++ == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(700));
            }
            return Ok(Html("slow-once"));
        }
        if (path == "/uncompressed.html") {
            return Ok(Html("uncompressed"), "", false);
        }
        if (path == "/huge.html") {
            return hugeAnswer_;
        }
        if (path == "/late-charset.html") {
            return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\n\r\n" +
                   Gzip(Html("late-charset"));
        }
        if (path == "/no-charset.html") {
            return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\n\r\n" +
                   Gzip(Html("no-charset"));
        }
        // Heads of resources: only a head is ever asked for.
        if (path == "/heavy.js") {
            return Resource("application/javascript", 4200000,
                            std::string(kYear) + "Content-Encoding: gzip\r\n");
        }
        if (path == "/big.png") {
            return Resource("image/png", 150000, kYear);
        }
        if (path == "/logo.png") {
            return Resource("image/png", 500, kYear);
        }
        if (path == "/short.css") {
            return Resource("text/css", 500, "Cache-Control: max-age=600\r\n");
        }
        if (path == "/xrobots.html") {
            return Ok(Html("xrobots"), "X-Robots-Tag: otherbot: none, googlebot: noindex\r\n");
        }
        const std::string name =
            path.size() > 6 && path.ends_with(".html") ? path.substr(1, path.size() - 6) : "";
        if (pages_.count(name) > 0) {
            return Ok(Html(name));
        }
        return Status(404);
    }

    std::map<std::string, Page> pages_;
    mutable std::atomic<int> slowOnceAsked_{0};
    // Made once: compressing 2 MB at each request would slow its first byte.
    std::string hugeAnswer_;
    test::FixtureSite site_;
};

// A one-page site whose robots.txt answers 503 and which names no sitemap.
std::string UnreadableRobotsAnswer(const std::string& path) {
    if (path == "/") {
        return Ok(Page("other").Html());
    }
    if (path == "/robots.txt") {
        return Status(503);
    }
    return Status(404);
}

// A site on one port that answers https and plain http alike (the first byte tells a TLS
// handshake), whose https pages plant the HTTPS checks: its start page links to a page of its
// own over http, and each other page plants one case.
class SecureSite {
  public:
    SecureSite()
        : server_([this](test::LoopbackConnection& conn) { Serve(conn); },
                  test::LoopbackServer::Serving::Concurrently) {
        EXPECT_EQ(MakeDemoCertificate(pem_), kDemoCertificateMade);
        EXPECT_EQ(tls_.Load(pem_.certificatePem, pem_.keyPem), TlsServerContext::kOk);
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(server_.Port()); }
    const std::string& CertificatePem() const { return pem_.certificatePem; }

  private:
    std::string Answer(const std::string& path, bool tls) const {
        const std::string hsts = "Strict-Transport-Security: max-age=31536000\r\n";
        const int closed = test::LoopbackServer::ClosedPort();
        const std::string elsewhere = "http://127.0.0.1:" + std::to_string(closed);
        if (!tls) {
            return path == "/plain.html" ? Ok(Page("plain").Html()) : Status(404);
        }
        Page page(path == "/" ? "secure" : path.substr(1, path.find('.') - 1));
        if (path == "/") {
            page.body =
                "<a href=\"/no-hsts.html\">a</a> <a href=\"/mixed-script.html\">b</a> "
                "<a href=\"/mixed-image.html\">c</a> <a href=\"http://" +
                Host() + "/plain.html\">d</a>";
        } else if (path == "/no-hsts.html") {
            return Ok(page.Html());
        } else if (path == "/mixed-script.html") {
            page.body = "<script src=\"" + elsewhere + "/x.js\"></script>";
        } else if (path == "/mixed-image.html") {
            page.body = "<img src=\"" + elsewhere + "/i.png\" alt=\"i\" width=\"9\" height=\"9\">";
        } else {
            return Status(404);
        }
        return Ok(page.Html(), hsts);
    }

    void Serve(test::LoopbackConnection& conn) {
        pollfd wait{conn.Fd(), POLLIN, 0};
        unsigned char first = 0;
        if (::poll(&wait, 1, 2000) != 1 || ::recv(conn.Fd(), &first, 1, MSG_PEEK) != 1) {
            return;
        }
        const bool tls = first == 0x16;
        if (tls && !conn.AcceptTls(tls_)) {
            return;
        }
        const std::string request = conn.ReadUntilBlankLine();
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        std::string answer = Answer(path, tls);
        if (request.starts_with("HEAD ")) {
            answer.resize(answer.find("\r\n\r\n") + 4);
        }
        conn.Send(answer);
        conn.Close();
    }

    DemoCertificate pem_;
    TlsServerContext tls_;
    test::LoopbackServer server_;
};

// The last line of a program's output (the summary page's path), without its line end.
std::string LastLine(std::string out) {
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out.substr(out.rfind('\n') + 1);
}

using Found = std::set<std::pair<std::string, std::string>>;

// (check, address without "http://" and host) of each finding of a site.
Found FindingsOf(const Json& site, const std::string& host) {
    Found found;
    for (const Json& finding : site.at("findings")) {
        std::string url = finding.at("url").is_null() ? "-" : finding.at("url").get<std::string>();
        if (url.starts_with("http://")) {
            url.erase(0, 7);
        } else if (url.starts_with("https://")) {
            url.erase(0, 8);
        }
        if (url.starts_with(host)) {
            url.erase(0, host.size());
        }
        found.emplace(finding.at("check").get<std::string>(), url);
        EXPECT_FALSE(finding.at("detail").get<std::string>().empty()) << finding.dump();
    }
    return found;
}

TEST(AuditCommand, EveryCheckFiresWherePlantedAndNowhereElse) {
    PlantedSite planted;
    test::FixtureSite other(&UnreadableRobotsAnswer, test::LoopbackServer::Serving::Concurrently);
    SecureSite secure;
    test::TempDir dir;
    // The CLI runs apart: it trusts the secure site's certificate through OpenSSL's file.
    const std::string trusted = dir.path() + "/trusted.pem";
    ASSERT_TRUE(WriteWholeFile(trusted, secure.CertificatePem()));
    setenv("SSL_CERT_FILE", trusted.c_str(), 1);
    // A competitor that never answers.
    const std::string silent = "127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort());
    const test::CliResult run = test::RunCli(
        dir.path(), {"--workdir", dir.path(), "audit", "--json", "audit.json", "--csv", "audit.csv",
                     "--name", "Planted", "--url", planted.Url(), "--url", other.Url("/"), "--url",
                     "https://" + secure.Host() + "/", "--url", silent + "/"});
    unsetenv("SSL_CERT_FILE");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string text;
    ASSERT_TRUE(ReadWholeFile(dir.path() + "/audit.json", text));
    const Json json = Json::parse(text);
    ASSERT_EQ(json.at("sites").size(), 4u);

    const Found expected = {
        {"status-4xx", "/gone.html"},
        {"status-4xx", "/missing.png"},
        {"status-5xx", "/error.html"},
        {"redirect-chain", "/chain1"},
        {"redirect-loop", "/loop1"},
        {"internal-link-to-redirect", "/"},
        {"noindex", "/noindex.html"},
        {"noindex", "/xrobots.html"},
        {"noindex", "/expired.html"},
        {"blocked-by-robots", "/private/page.html"},
        {"blocked-by-robots", "/typo/page.html"},
        {"blocked-by-robots", "/docs/"},
        {"blocked-by-robots", "/bing-only/page.html"},
        {"nofollow", "/noindex.html"},
        {"robots-txt-invalid", "/robots.txt"},
        {"ai-crawlers-blocked", "/robots.txt"},
        {"canonical-invalid", "/canon-relative.html"},
        {"canonical-invalid", "/canon-two.html"},
        {"canonical-invalid", "/canon-file.html"},
        {"canonical-elsewhere", "/canon-elsewhere.html"},
        {"canonical-elsewhere", "/canon-bad.html"},
        {"canonical-target-bad", "/canon-bad.html"},
        {"title-missing", "/no-title.html"},
        {"title-multiple", "/two-titles.html"},
        {"title-duplicate", "/dup-a.html"},
        {"title-duplicate", "/dup-b.html"},
        {"title-too-long", "/long-title.html"},
        {"title-too-short", "/short-title.html"},
        {"description-missing", "/no-desc.html"},
        {"description-multiple", "/two-descs.html"},
        {"description-duplicate", "/ddup-a.html"},
        {"description-duplicate", "/ddup-b.html"},
        {"description-too-long", "/long-desc.html"},
        {"description-too-short", "/short-desc.html"},
        {"h1-missing", "/no-h1.html"},
        {"h1-multiple", "/two-h1.html"},
        {"h1-too-long", "/long-h1.html"},
        {"sitemap-invalid", "/sitemap-broken.xml"},
        {"sitemap-url-bad", "/noindex.html"},
        {"not-in-sitemap", "/unlisted.html"},
        // Shut out for Bingbot alone, Google indexes it: unlisted like any other page.
        {"not-in-sitemap", "/bing-only/page.html"},
        {"sitemap-orphan", "/orphan.html"},
        {"sitemap-other-host", "/sitemap-pages.xml.gz"},
        {"https-missing", "-"},
        {"duplicate-content", "/copy-a.html"},
        {"duplicate-content", "/copy-b.html"},
        {"thin-content", "/thin.html"},
        {"slow-response", "/slow.html"},
        {"not-compressed", "/uncompressed.html"},
        {"html-too-large", "/huge.html"},
        {"page-too-heavy", "/heavy.html"},
        {"image-too-large", "/big.png"},
        {"short-cache-lifetime", "/short.css"},
        {"img-alt-missing", "/no-alt.html"},
        {"img-alt-too-long", "/long-alt.html"},
        {"img-size-missing", "/no-size.html"},
        {"link-text-generic", "/generic.html"},
        {"anchor-not-crawlable", "/js-link.html"},
        {"anchor-not-crawlable", "/onclick-link.html"},
        {"lang-missing", "/no-lang.html"},
        {"lang-invalid", "/bad-lang.html"},
        {"viewport-missing", "/no-viewport.html"},
        {"viewport-no-zoom", "/no-zoom.html"},
        {"viewport-no-zoom", "/small-zoom.html"},
        {"charset-late", "/late-charset.html"},
        {"doctype-missing", "/no-doctype.html"},
        {"structured-data-invalid", "/bad-json.html"},
        {"charset-missing", "/no-charset.html"},
        {"hreflang-invalid", "/hreflang.html"},
        {"hreflang-relative", "/hreflang.html"},
        {"hreflang-no-return", "/hreflang.html"},
        {"hreflang-no-x-default", "/hreflang.html"},
    };
    const Json& first = json.at("sites")[0];
    EXPECT_EQ(FindingsOf(first, planted.Url("")), expected);
    EXPECT_EQ(FindingsOf(json.at("sites")[1], other.Url("")),
              (Found{{"robots-txt-unreachable", "/robots.txt"}, {"sitemap-missing", "-"}}));
    const Json& third = json.at("sites")[2];
    EXPECT_EQ(FindingsOf(third, secure.Host()), (Found{{"sitemap-missing", "-"},
                                                       {"http-not-redirected", "/"},
                                                       {"http-page", "/plain.html"},
                                                       {"mixed-content", "/mixed-script.html"},
                                                       {"mixed-content", "/mixed-image.html"},
                                                       {"http-link-internal", "/"},
                                                       {"hsts-missing", "/no-hsts.html"}}));
    // A robots.txt that answers 503 forbids every page, and none is asked to tell whether the
    // site is there: its answer says so.
    EXPECT_EQ(other.CountRequests("GET /"), 0) << testing::PrintToString(other.Requests());
    // The silent site has one finding and is marked; the others are not.
    const Json& fourth = json.at("sites")[3];
    EXPECT_EQ(FindingsOf(fourth, silent), (Found{{"site-unreachable", "/"}}));
    EXPECT_EQ(fourth.at("unreachable"), true);
    EXPECT_TRUE(fourth.at("medianFirstByteMs").is_null());
    EXPECT_EQ(first.at("unreachable"), false);
    EXPECT_TRUE(first.at("medianFirstByteMs").is_number());
    // A slow page is asked again before it counts, and says both times.
    for (const Json& finding : first.at("findings")) {
        if (finding.at("check") == "slow-response") {
            EXPECT_NE(finding.at("detail").get<std::string>().find("when asked again"),
                      std::string::npos)
                << finding.dump();
        }
        // Each engine as it reads robots.txt: the crawlers shut out, and how they differ.
        const std::map<std::string, std::string> blocked = {
            {"/private/page.html", "disallowed for Googlebot, Bingbot"},
            {"/typo/page.html", "disallowed for Googlebot"},
            {"/docs/", "disallowed for Bingbot"},
            {"/bing-only/page.html", "disallowed for Bingbot"}};
        const std::map<std::string, std::string> noindex = {
            {"/noindex.html", "noindex in a robots meta tag, for every crawler"},
            {"/xrobots.html", "noindex in an X-Robots-Tag header, for Googlebot"},
            {"/expired.html", "unavailable_after date passed"}};
        if (finding.at("check") == "noindex") {
            std::string url = finding.at("url").get<std::string>();
            url.erase(0, url.starts_with("http://") ? 7 : 0);
            EXPECT_EQ(finding.at("detail"), noindex.at(url.substr(url.find('/')))) << url;
        }
        // A file's finding says which page loads it and how many do.
        if (finding.at("check") == "short-cache-lifetime" ||
            (finding.at("check") == "status-4xx" &&
             finding.at("url").get<std::string>().ends_with("/missing.png"))) {
            const std::string detail = finding.at("detail").get<std::string>();
            EXPECT_NE(detail.find(", loaded by "), std::string::npos) << detail;
            EXPECT_TRUE(detail.ends_with(" and 1 other page")) << detail;
        }
        if (finding.at("check") == "blocked-by-robots") {
            std::string url = finding.at("url").get<std::string>();
            url.erase(0, url.starts_with("http://") ? 7 : 0);
            EXPECT_EQ(finding.at("detail"), blocked.at(url.substr(url.find('/')))) << url;
        }
        if (finding.at("check") == "robots-txt-invalid") {
            EXPECT_NE(finding.at("detail").get<std::string>().find(
                          "unknown directive \"disalow\" (Googlebot reads it as \"disallow: "
                          "/typo/\"; Bingbot skips it)"),
                      std::string::npos)
                << finding.dump();
        }
        if (finding.at("check") == "canonical-invalid" &&
            finding.at("url").get<std::string>().ends_with("/canon-file.html")) {
            EXPECT_EQ(finding.at("detail"), "not a web address: file:///srv/www/clean.html");
        }
    }
    // The summary says "not audited" for the silent site, never 0%, and marks the own site.
    std::string summary;
    ASSERT_TRUE(ReadWholeFile(LastLine(run.out), summary));
    EXPECT_NE(summary.find("not audited"), std::string::npos);
    EXPECT_NE(summary.find("own site"), std::string::npos);
    EXPECT_EQ(summary.find(kNoSiteAnsweredBanner), std::string::npos);
    // A script loaded over http is an error, an image a warning.
    for (const Json& finding : third.at("findings")) {
        if (finding.at("check") == "mixed-content") {
            const bool script = finding.at("url").get<std::string>().ends_with("script.html");
            EXPECT_EQ(finding.at("severity"), script ? "error" : "warning") << finding.dump();
        }
    }

    // Each page once, in its state: the clean page indexable, the others saying why not.
    std::map<std::string, Json> pages;
    for (const Json& page : first.at("pages")) {
        EXPECT_TRUE(pages.emplace(page.at("url").get<std::string>(), page).second) << page.dump();
    }
    const Json& clean = pages.at(planted.Url("/clean.html"));
    EXPECT_EQ(clean.at("status"), 200);
    EXPECT_EQ(clean.at("indexable"), true);
    EXPECT_TRUE(clean.at("notIndexableBecause").is_null());
    EXPECT_EQ(clean.at("title"), "The clean page of the audit test site");
    EXPECT_EQ(clean.at("canonical"), "http://" + planted.Url("/clean.html"));
    EXPECT_EQ(clean.at("words"), 216);
    EXPECT_EQ(pages.at(planted.Url("/private/page.html")).at("notIndexableBecause"),
              "blocked by robots.txt");
    EXPECT_EQ(pages.at(planted.Url("/gone.html")).at("status"), 404);
    EXPECT_EQ(pages.at(planted.Url("/canon-elsewhere.html")).at("notIndexableBecause"),
              "canonical names http://" + planted.Url("/clean.html"));
    // A redirect shows its own status and where it led; a loop leads nowhere.
    const Json& chain = pages.at(planted.Url("/chain1"));
    EXPECT_EQ(chain.at("status"), 301);
    EXPECT_TRUE(chain.at("redirectsTo").get<std::string>().ends_with("/chained.html"))
        << chain.dump();
    EXPECT_EQ(pages.at(planted.Url("/loop1")).at("status"), 301);
    EXPECT_TRUE(pages.at(planted.Url("/loop1")).at("redirectsTo").is_null());

    // The CSV holds the same findings, a row each.
    std::string csv;
    ASSERT_TRUE(ReadWholeFile(dir.path() + "/audit.csv", csv));
    const auto rows = ParseCsv(csv);
    ASSERT_EQ(rows.size(), 1 + expected.size() + 2 + 7 + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"site", "check", "severity", "url", "detail",
                                                 "lcpMs", "cls", "tbtMs"}));
    std::size_t wholeSite = 0;
    std::size_t figures = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto& row = rows[i];
        wholeSite += row[1] == "sitemap-missing" && row[3].empty() ? 1 : 0;
        // No page was loaded in a browser: no figure, not even 0.
        figures += row[5].size() + row[6].size() + row[7].size();
    }
    EXPECT_EQ(figures, 0u);
    EXPECT_EQ(wholeSite, 2u);
}

TEST(AuditCommand, NoSiteAnsweredFailsTheCommandAndMarksTheRun) {
    test::TempDir dir;
    const std::string silent = "127.0.0.1:" + std::to_string(test::LoopbackServer::ClosedPort());
    const test::CliResult run = test::RunCli(
        dir.path(), {"--workdir", dir.path(), "audit", "--name", "Silent", "--url", silent + "/"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("no site answered"), std::string::npos) << run.err;
    std::string summary;
    ASSERT_TRUE(ReadWholeFile(LastLine(run.out), summary));
    EXPECT_NE(summary.find(kNoSiteAnsweredBanner), std::string::npos);
    EXPECT_EQ(summary.find(">0%"), std::string::npos);
    AppPaths paths;
    paths.siteAuditDir = dir.path() + "/Reports/Site Audit";
    const std::vector<PreviousReport> runs =
        ListPreviousReports(paths, PreviousReportTab::SiteAudit);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(runs[0].failed);
}

TEST(AuditCommand, FailOnExitsThreeForThatSeverityOrWorse) {
    // One page, in every sitemap, with a title too short: one warning and nothing else.
    int port = 0;
    test::FixtureSite site(
        [&port](const std::string& path) {
            const std::string root = "http://127.0.0.1:" + std::to_string(port);
            if (path == "/") {
                Page home("home");
                home.titles = {"Home"};
                return Ok(home.Html());
            }
            if (path == "/robots.txt") {
                return Typed("text/plain", "User-agent: *\nAllow: /\n");
            }
            if (path == "/sitemap.xml") {
                return Typed("text/xml", "<urlset><url><loc>" + root + "/</loc></url></urlset>");
            }
            return Status(404);
        },
        test::LoopbackServer::Serving::Concurrently);
    port = site.Port();
    struct Row {
        std::vector<std::string> options;
        int exitCode;
    };
    const Row rows[] = {
        {{"--fail-on", "error"}, 0},
        {{"--fail-on=warning", "--max-pages", "1"}, 3},
        {{"--fail-on", "notice"}, 2},
        {{"--nested"}, 2},
    };
    for (const Row& row : rows) {
        // A folder each, so that no run waits for a report name of its own.
        test::TempDir dir;
        std::vector<std::string> args = {"--workdir", dir.path(), "audit"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        for (const char* arg : {"--json", "-", "--name", "One"}) {
            args.push_back(arg);
        }
        args.push_back("--url");
        args.push_back(site.Url("/"));
        const test::CliResult run = test::RunCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, row.exitCode) << testing::PrintToString(row.options) << run.err;
        if (row.exitCode != 2) {
            EXPECT_NE(run.out.find("\"check\": \"title-too-short\""), std::string::npos);
            EXPECT_EQ(run.out.find("\"severity\": \"error\""), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace sg
