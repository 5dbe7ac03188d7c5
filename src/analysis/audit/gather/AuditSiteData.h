#pragma once
// Everything the Site Audit's checks read about one site: the answers of its pages (from the
// crawl, and from the few fetches the audit makes itself), the crawl's links on the site,
// robots.txt and the sitemaps. Gathered by AuditCrawl, judged by AuditRules; kept small per page
// (facts, not bodies; texts and lists cut as PageFacts.h says, resources as kAuditResourcesKept
// says), so a site of the crawl's page bound fits in memory whatever its pages hold.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "analysis/audit/formats/RobotsDirectives.h"
#include "analysis/audit/formats/Sitemap.h"
#include "analysis/crawl/RobotsTxt.h"
#include "html/PageFacts.h"
#include "model/PackedTexts.h"

namespace sg {

// The resources kept per page, each address once; real pages load far fewer.
inline constexpr std::size_t kAuditResourcesKept = 10000;

// What is kept of a rendered page's texts and lists, whatever the page holds: each text (a title
// before scripts, a console error, a failed request) to its first kRenderTextKept characters,
// each list to its first kRenderListKept (their counts taken whole).
inline constexpr std::size_t kRenderTextKept = 300;
inline constexpr std::size_t kRenderListKept = 10;

// The texts of a page that scripts can add or change, as search engines read them: the first
// title, meta description and non-empty h1, the first canonical href as written, and the robots
// and googlebot meta tags ("noindex", "googlebot: noindex", joined by "; "); each as
// kRenderTextKept says, empty when the page has none.
struct AuditScriptTexts {
    std::string title;
    std::string description;
    std::string h1;
    std::string canonical;
    std::string robots;
};

// What a browser made of a page it rendered, as the checks of scripts and lab figures read it
// (the page's facts are those of the document after its scripts).
struct AuditRender {
    // The texts of the page as the server sent it, before any script ran.
    AuditScriptTexts before;
    // The pages (links and frames) the document links to after its scripts ran but not before:
    // how many (each address once), and the first kRenderListKept.
    std::size_t linksAfterOnly = 0;
    std::vector<std::string> linksAfterOnlyFirst;
    // Largest contentful paint and total blocking time in ms, cumulative layout shift; negative
    // when the browser gave none.
    double lcpMs = -1;
    double cls = -1;
    double tbtMs = -1;
    // Console errors, and the browser's requests that failed ("ADDRESS answers 404", "ADDRESS:
    // net::ERR_CONNECTION_REFUSED"): how many, and the first kRenderListKept.
    std::size_t consoleErrorCount = 0;
    std::vector<std::string> consoleErrors;
    std::size_t failedRequestCount = 0;
    std::vector<std::string> failedRequests;
};

// What the checks of speed and security read of an answer besides its status: the head lines
// they judge (Content-Type, Content-Encoding, Content-Length, Cache-Control, Expires, Date,
// Strict-Transport-Security), the time to its first byte and its body's size.
struct AuditHead {
    PackedTexts lines;
    long long firstByteMs = 0;
    // The request offered compressed answers.
    bool offeredCompression = false;
    // The body as read (decoded) and as it came; 0 for a head answer.
    std::size_t bodyBytes = 0;
    std::size_t bytesReceived = 0;
};

// A resource (image, script, style sheet, ...) of one of the site's pages, judged by its head.
struct AuditResource {
    // In the crawl's form, and the first page it was found on.
    std::string url;
    std::string from;
    int status = 0;
    AuditHead head;
};

// An address of the site the audit has the answer for.
struct AuditAnswer {
    // As asked, in the crawl's text form, without its fragment.
    std::string url;
    // The page it was first found on (itself for the start page; empty when only a sitemap or
    // a canonical link named it).
    std::string from;
    // The answer came from an https address (the end of its redirects, or `url` itself).
    bool endedOnHttps = false;
    // The final answer's status code; 0 when none came.
    int status = 0;
    // The addresses redirected to, in order, and the status of the first redirecting answer.
    std::vector<std::string> redirects;
    int redirectStatus = 0;
    // The redirects went in a circle or past the client's bound, so no answer came.
    bool redirectLoop = false;
    // Read as an HTML page (its facts and directives are known).
    bool html = false;
    PageFacts facts;
    // Its robots meta tags and X-Robots-Tag header lines, for Googlebot.
    RobotsDirectives directives;
    // The crawl visited it (rather than the audit fetching it for a sitemap or a canonical).
    bool crawled = false;
    // Not asked at all: the site's robots.txt keeps the crawl (kRobotsAgent) from it, so
    // nothing of it is known but where it was linked.
    bool notAsked = false;
    AuditHead head;
    // A first byte later than the audit's bound was asked once more: the time of that second
    // answer (-1 when it was not asked again or got none).
    long long firstByteAgainMs = -1;
    // The resources the page loads, in the crawl's form (for its weight): each once, the first
    // kAuditResourcesKept.
    PackedTexts resources;
    // What the browser made of it, for a page rendered that answered 200 as HTML; null for
    // one fetched.
    std::shared_ptr<const AuditRender> rendered;
};

// A link on one of the site's pages to an address of the site, as the crawl recorded it.
struct AuditLink {
    std::string from;
    std::string to;
    // The status code of the answer that judged it; 0 when none came.
    int status = 0;
    // A page (an <a>, a frame, ...) rather than a resource (an image, a script, ...).
    bool page = true;
};

struct AuditSitemapFile {
    std::string url;
    // The answer's status code; 0 when none came.
    int status = 0;
    SitemapContent content;
    // Why it cannot be used ("answers 404", "not XML", ...); empty when it was read.
    std::string problem;
    // The addresses it lists on another host or scheme than its own, which the sitemaps
    // protocol forbids: how many, and the first few.
    std::size_t otherHost = 0;
    std::vector<std::string> otherHostFirst;
};

// A deque, not a vector: a large site's answers grow without a copy of them all and without
// room held spare.
using AuditAnswers = std::deque<AuditAnswer>;

struct AuditSiteData {
    // The project's address, and where the crawl found the site (its start page's address at
    // the end of its redirects).
    std::string siteUrl;
    std::string root;

    std::string robotsUrl;
    // robots.txt's status code; 0 when no answer came.
    int robotsStatus = 0;
    // No answer came because its redirects looped or went too far: RFC 9309 takes the file as
    // unavailable, which allows everything (not as unreachable, which closes the site).
    bool robotsRedirectsFailed = false;
    // The rules in force: the file's, or all allowed (4xx), or none (5xx, no answer).
    RobotsTxt robots = RobotsTxt::AllowAll();

    // The site's addresses: the crawl's visits in visit order (an address that redirected
    // within the site followed by where it ended, when that was not visited already), then
    // those the audit fetched itself. Each address once.
    AuditAnswers answers;
    // Canonical pages on other hosts, fetched to judge the canonical links naming them.
    std::vector<AuditAnswer> elsewhere;
    std::vector<AuditLink> links;
    // Every resource of the site's pages the crawl judged by an answer, each once.
    std::vector<AuditResource> resources;
    // Whether the host of the site's plain http pages answers https (the crawl got an https
    // answer from it, or the audit's probe of its root did).
    bool hostAnswersHttps = false;
    // The https address asked for a site met only over http (empty when none was asked).
    std::string httpsProbeUrl;
    // For a site met over https: its plain http root as asked, that answer's status (0 for
    // none), and whether its redirects ended on https. Empty when it was not asked.
    std::string httpProbeUrl;
    int httpProbeStatus = 0;
    bool httpProbeEndedOnHttps = false;
    // Why the start page got no answer ("connection refused", "the proxy could not be
    // reached"); empty when it got one.
    std::string startFailure;

    // The sitemaps read: those robots.txt names, else /sitemap.xml (when it answered), then the
    // sitemaps their indexes list.
    std::vector<AuditSitemapFile> sitemaps;
    // Whether robots.txt named any sitemap, or /sitemap.xml answered 200.
    bool sitemapFound = false;
    // The pages the sitemaps list, each once, in order.
    std::vector<std::string> listed;
};

}  // namespace sg
