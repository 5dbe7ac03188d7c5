#include "demo/EngineEmulator.h"

#include <uriparser/Uri.h>

#include <algorithm>

#include "engines/EngineCatalogue.h"
#include "engines/EngineHosts.h"
#include "engines/FormatCount.h"
#include "html/UrlText.h"

namespace sg {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::size_t kMaxRequestHead = 64 * 1024;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The value of query parameter `key` (up to the next "&"), or nothing.
std::optional<std::string_view> Param(std::string_view target, std::string_view key) {
    const std::size_t query = target.find('?');
    if (query == kNone) {
        return std::nullopt;
    }
    std::size_t from = query + 1;
    while (from <= target.size()) {
        std::size_t end = target.find('&', from);
        if (end == kNone) {
            end = target.size();
        }
        const std::string_view pair = target.substr(from, end - from);
        if (pair.size() > key.size() && pair.substr(0, key.size()) == key &&
            pair[key.size()] == '=') {
            return pair.substr(key.size() + 1);
        }
        if (pair == key) {
            return std::string_view();
        }
        from = end + 1;
    }
    return std::nullopt;
}

int ToInt(std::optional<std::string_view> text, int fallback) {
    if (!text || text->empty() || text->size() > 9) {
        return fallback;
    }
    int value = 0;
    for (char c : *text) {
        if (c < '0' || c > '9') {
            return fallback;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string Str(std::optional<std::string_view> text) {
    return text ? std::string(*text) : std::string();
}

// The site of a "link:" address: after `prefix`, up to the last `suffix` (or the end).
// The site a "link:" query names, as the engine reads it: its percent escapes decoded (the
// client encodes what a request line cannot carry).
std::string SiteBetween(std::string_view target, std::string_view prefix, std::string_view suffix) {
    std::string_view rest = target.substr(prefix.size());
    if (!suffix.empty()) {
        const std::size_t at = rest.rfind(suffix);
        if (at != kNone) {
            rest = rest.substr(0, at);
        }
    }
    std::string site(rest);
    site.push_back('\0');
    const char* end = uriUnescapeInPlaceExA(site.data(), URI_FALSE, URI_BR_DONT_TOUCH);
    site.resize(static_cast<std::size_t>(end - site.data()));
    return site;
}

std::string WithoutScheme(std::string_view address) {
    return std::string(StartsWith(address, "http://") ? address.substr(7) : address);
}

// What an address asks: which engine, what kind of query, and about what. For the "link:"
// forms that are at the same time a keyword-search form (the keyword beginning "link%3A"),
// `keyword` holds the keyword reading, so that a configured keyword can win.
struct Classified {
    int engine = -1;
    EmulatorQuery query = EmulatorQuery::Unknown;
    std::string term;
    std::string keyword;
    int start = 0;
};

Classified Link(EngineId id, std::string site, std::string keyword = {}) {
    return {EngineIndex(id), EmulatorQuery::LinkCount, std::move(site), std::move(keyword), 0};
}

Classified Search(EngineId id, std::string keyword, int start) {
    return {EngineIndex(id), EmulatorQuery::KeywordSearch, keyword, keyword, std::max(start, 0)};
}

Classified Classify(std::string_view t) {
    constexpr std::string_view kAltaVistaLink = "/web/results?pg=q&sc=on&q=link%3A";
    constexpr std::string_view kAllTheWebLink = "/search?cat=web&cs=utf-8&q=link%3A";
    constexpr std::string_view kHotBotLink = "/default.asp?prov=FAST&query=link%3A";
    constexpr std::string_view kEuroseekLink = "/system/search.cgi?mode=internet&string=link%3A";
    constexpr std::string_view kYahooLink = "/search?p=link%3A";
    constexpr std::string_view kExciteLink = "/info.xcite/search/web/link%25253A";
    constexpr std::string_view kAolLink = "/aolcom/search?query=link%3A";
    constexpr std::string_view kGoogleLink = "/search?q=link%3A";
    constexpr std::string_view kMsnLink = "/results.aspx?q=link%3A";
    constexpr std::string_view kExcite = "/info.xcite/search/web/";

    if (StartsWith(t, kAltaVistaLink)) {
        return Link(EngineId::AltaVista, SiteBetween(t, kAltaVistaLink, "&k1=XX&stype=stext"));
    }
    if (StartsWith(t, "/web/results?")) {
        return Search(EngineId::AltaVista, Str(Param(t, "q")), ToInt(Param(t, "stq"), 0));
    }
    if (StartsWith(t, kAllTheWebLink)) {
        return Link(EngineId::AllTheWeb, SiteBetween(t, kAllTheWebLink, "&_sb_lang=en"));
    }
    if (StartsWith(t, "/search?avkw=fogg")) {
        return Search(EngineId::AllTheWeb, Str(Param(t, "q")), ToInt(Param(t, "o"), 0));
    }
    if (StartsWith(t, kGoogleLink)) {
        return Link(EngineId::Google, SiteBetween(t, kGoogleLink, ""), Str(Param(t, "q")));
    }
    if (StartsWith(t, "/search?q=")) {
        return Search(EngineId::Google, Str(Param(t, "q")), ToInt(Param(t, "start"), 0));
    }
    if (StartsWith(t, kMsnLink) && t.ends_with("&FORM=SMCRT")) {
        return Link(EngineId::MSN, SiteBetween(t, kMsnLink, "&FORM=SMCRT"));
    }
    if (StartsWith(t, "/results.aspx?")) {
        return Search(EngineId::MSN, Str(Param(t, "q")), ToInt(Param(t, "first"), 1) - 1);
    }
    if (StartsWith(t, kHotBotLink)) {
        return Link(EngineId::HotBot, SiteBetween(t, kHotBotLink, "&ps=&loc=&tab=web"));
    }
    if (StartsWith(t, "/default.asp?")) {
        return Search(EngineId::HotBot, Str(Param(t, "query")), ToInt(Param(t, "first"), 1) - 1);
    }
    if (StartsWith(t, kEuroseekLink)) {
        return Link(EngineId::Euroseek, SiteBetween(t, kEuroseekLink, "&language=en"),
                    Str(Param(t, "string")));
    }
    if (StartsWith(t, "/system/search.cgi?")) {
        return Search(EngineId::Euroseek, Str(Param(t, "string")), ToInt(Param(t, "start"), 0));
    }
    if (StartsWith(t, kYahooLink)) {
        return Link(EngineId::Yahoo,
                    SiteBetween(t, kYahooLink, "&ei=UTF-8&fr=fp-tab-web-t&cop=mss&tab="),
                    Str(Param(t, "p")));
    }
    if (StartsWith(t, "/search?p=")) {
        return Search(EngineId::Yahoo, Str(Param(t, "p")), ToInt(Param(t, "b"), 1) - 1);
    }
    if (StartsWith(t, "/d/search/?")) {
        return Search(EngineId::Overture, Str(Param(t, "Keywords")),
                      (ToInt(Param(t, "page"), 1) - 1) * PageStep(EngineId::Overture));
    }
    if (StartsWith(t, kExciteLink)) {
        return Link(EngineId::Excite, SiteBetween(t, kExciteLink, ""));
    }
    if (StartsWith(t, kExcite)) {
        // ".../web/" + K + "/" on the first page, K + "/" + first position + "/" later.
        const std::string_view rest = t.substr(kExcite.size());
        const std::size_t slash = rest.find('/');
        const std::string_view keyword = rest.substr(0, slash);
        int start = 0;
        if (slash != kNone) {
            const std::string_view after = rest.substr(slash + 1);
            start = ToInt(after.substr(0, after.find('/')), 1) - 1;
        }
        return Search(EngineId::Excite, std::string(keyword), start);
    }
    if (StartsWith(t, "/web?")) {
        return Search(EngineId::AskJeeves, Str(Param(t, "q")),
                      (ToInt(Param(t, "page"), 1) - 1) * 10);
    }
    if (StartsWith(t, kAolLink)) {
        return Link(EngineId::AOL, SiteBetween(t, kAolLink, "&page=1"), Str(Param(t, "query")));
    }
    if (StartsWith(t, "/aolcom/search?")) {
        return Search(EngineId::AOL, Str(Param(t, "query")), (ToInt(Param(t, "page"), 1) - 1) * 10);
    }
    return {};
}

// Where the engine states its count: the total of a result page, or the "link:" count.
// `first` and `last` are the positions shown on the page.
std::string CountBlock(EngineId id, const std::string& text, int first, int last) {
    const std::string a = std::to_string(first);
    const std::string b = std::to_string(last);
    switch (id) {
        case EngineId::AltaVista:
            return "<p>AltaVista found " + text + " results</p>\n";
        case EngineId::Google:
            return "<p>Results <b>" + a + "</b> - <b>" + b + "</b> of about <b>" + text +
                   "</b>.</p>\n";
        case EngineId::AllTheWeb:
            return "<p>" + a + " - " + b + " of <span class=\"ofSoMany\">" + text + "</span></p>\n";
        case EngineId::MSN:
            return "<h5>Results " + a + "-" + b + " of about " + text +
                   " containing '<span class=\"q\">query</span>'</h5>\n";
        case EngineId::HotBot:
            return "<p>(Results " + a + " - " + b + " of " + text + ")<!-- RESULTS --></p>\n";
        case EngineId::Euroseek:
            return "<table><tr><td class=\"esigrh\">(" + a + " - " + b + " of " + text +
                   ")</td></tr></table>\n";
        case EngineId::Yahoo:
            return "<div>WEB RESULTS</div><p>Results " + a + " - " + b +
                   " out of about <font color=#000000>" + text + "</font></p>\n";
        case EngineId::Excite:
            return "<p>Web search results for <b>query</b> (" + a + " - " + b + " of " + text +
                   ")</p>\n";
        case EngineId::AOL:
            return "<p>Page " + std::to_string((first > 0 ? first - 1 : 0) / 10 + 1) + " of " +
                   text + "</p>\n";
        case EngineId::Overture:
        case EngineId::AskJeeves:
            break;
    }
    return {};
}

std::string Item(EngineId id, const std::string& address) {
    switch (id) {
        case EngineId::AltaVista:
            return "<br><span class=ngrn>" + address + "</span>\n";
        case EngineId::Google:
            return "<p class=g><a href=" + address + ">Result</a></p>\n";
        case EngineId::AllTheWeb:
            return "<div class=\"result\"><span class=\"resURL\">" + address + "</span></div>\n";
        case EngineId::MSN:
            return "<li><p class=\"u\">" + address + "</p></li>\n";
        case EngineId::HotBot:
            return "<div class=\"res\"><a href=\"" + address + "\">Result</a></div>\n";
        case EngineId::Euroseek:
            return "<tr><td class=\"esigrrt\"><a href=\"" + address + "\">Result</a></td></tr>\n";
        case EngineId::Yahoo:
            return "<li><div class=yschlp><em>" + address + "</em></div></li>\n";
        case EngineId::Overture:
            return "<li style=\"margin-left:20px;\"><b>Result</b><br><em>" + address +
                   "</em></li>\n";
        case EngineId::Excite:
            return "<div><span class=\"Heading-Sponsors\">Result</span><br><span>http://" +
                   WithoutScheme(address) + "</span></div>\n";
        case EngineId::AskJeeves:
            return "<div><span class=\"t\">http://" + WithoutScheme(address) + "</span></div>\n";
        case EngineId::AOL:
            return "<li class=\"resultItem\"><b>Result</b><br><span class=\"small url\">http://" +
                   WithoutScheme(address) + "</span></li>\n";
    }
    return {};
}

// The marks that tell the scrapers about the following page. MSN and HotBot write their
// "PREVIOUS"/"Previous" word on every page, as their rules look for the mark after it.
std::string NextBlock(EngineId id, const std::string& k, int start, bool more,
                      std::string_view host) {
    const std::string h(host);
    switch (id) {
        case EngineId::AltaVista:
            return more ? "<a href=\"/web/results?q=" + k +
                              "&kgs=0&kls=1&avkw=aapt&stq=" + std::to_string(start + 10) +
                              "\">[Next &gt;&gt;]</a>\n"
                        : std::string();
        case EngineId::AllTheWeb:
            return more ? "<a href=\"/search?avkw=fogg&cat=web&cs=utf-8&q=" + k +
                              "&_sb_lang=pref&o=" + std::to_string(start + 10) + "\">Next</a>\n"
                        : std::string();
        case EngineId::MSN:
            return "<div>PREVIOUS" +
                   (more ? " <a class=\"pn\" href=\"results.aspx?q=" + k +
                               "&first=" + std::to_string(start + 16) + "&FORM=PERE\">NEXT</a>"
                         : std::string()) +
                   "</div>\n";
        case EngineId::HotBot:
            return "<p>Previous | " +
                   (more ? "<a href=\"/default.asp?query=" + k +
                               "&first=" + std::to_string(start + 11) +
                               "&offset=&page=more&ca=w&prov=Inktomi&date=&pc=&pcx=&pcu=\">Next</a>"
                         : std::string("Next")) +
                   "</p>\n";
        case EngineId::Yahoo:
            return more ? "<a href=\"http://" + h + "/r/R=next/*-http://" + h + "/search?p=" + k +
                              "&ei=UTF-8&b=" + std::to_string(start + 21) + "\">Next &gt;</a>\n"
                        : std::string();
        case EngineId::Overture:
            return more ? "<p style=\"float:right;margin:0px;padding-right:10px;padding-bottom:6px;"
                          "\"><a href=/d/search/?type=topbar&mkt=us&Keywords=" +
                              k + "&page=" + std::to_string(start / 40 + 2) + ">Next</a></p>\n"
                        : std::string();
        case EngineId::Excite:
            return more ? "<a href=\"http://" + h + "/info.xcite/search/web/" + k + "/" +
                              std::to_string(start + 21) + "/\">Next ></a>\n"
                        : std::string();
        case EngineId::AskJeeves:
            return more ? "<a href=\"http://" + h + "/web?q=" + k +
                              "&qsrc=1&o=0&page=" + std::to_string(start / 10 + 2) +
                              "\" class=\"ps\">Next</a>\n"
                        : std::string();
        case EngineId::Google:
        case EngineId::Euroseek:
        case EngineId::AOL:
            break;
    }
    return {};
}

std::string OkResponse(const std::string& type, const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

constexpr std::string_view kPageHead = "<html><head><title>Search</title></head><body>\n";
constexpr std::string_view kPageTail = "</body></html>\n";

}  // namespace

EngineEmulator::EngineEmulator() : server_(kMaxRequestHead) {}

EngineEmulator::~EngineEmulator() {
    Stop();
    if (pointedHosts_) {
        ClearEngineHostOverrides();
    }
}

bool EngineEmulator::Start() {
    return server_.Start([this](std::string_view head) { return Respond(head); });
}

void EngineEmulator::Stop() {
    server_.Stop();
}

std::string EngineEmulator::Host() const {
    return "127.0.0.1:" + std::to_string(Port());
}

std::string EngineEmulator::EngineHostsValue() const {
    std::string hosts;
    for (const char* key : {"0", "1", "2", "2b", "3", "4", "5", "5b", "6", "7", "8", "9", "10"}) {
        hosts += (hosts.empty() ? "" : ",") + std::string(key) + "=" + Host();
    }
    return hosts;
}

std::string EngineEmulator::MetasearchAddress() const {
    return "http://" + Host() + std::string(kMetasearchPath);
}

void EngineEmulator::PointEngineHostsHere() {
    OverrideAllEngineHosts(Host());
    pointedHosts_ = true;
}

void EngineEmulator::SetResults(EngineId id, std::string_view keyword,
                                std::vector<std::string> addresses) {
    std::lock_guard lock(mutex_);
    keywords_[{EngineIndex(id), PercentEncode(keyword)}].addresses = std::move(addresses);
}

void EngineEmulator::SetTotal(EngineId id, std::string_view keyword, std::int64_t total) {
    std::lock_guard lock(mutex_);
    keywords_[{EngineIndex(id), PercentEncode(keyword)}].total = total;
}

void EngineEmulator::SetNextMark(EngineId id, std::string_view keyword, NextMark mark) {
    std::lock_guard lock(mutex_);
    keywords_[{EngineIndex(id), PercentEncode(keyword)}].next = mark;
}

void EngineEmulator::SetPage(EngineId id, std::string_view keyword, int start, std::string body) {
    std::lock_guard lock(mutex_);
    keywords_[{EngineIndex(id), PercentEncode(keyword)}].pages[start] = std::move(body);
}

void EngineEmulator::SetLinkCount(EngineId id, std::string_view site, std::string countText) {
    std::lock_guard lock(mutex_);
    links_[{EngineIndex(id), std::string(site)}].countText = std::move(countText);
}

void EngineEmulator::SetLinkNothingFound(std::string_view site) {
    std::lock_guard lock(mutex_);
    links_[{EngineIndex(EngineId::AltaVista), std::string(site)}].nothingFound = true;
}

void EngineEmulator::SetLinkPage(EngineId id, std::string_view site, std::string body) {
    std::lock_guard lock(mutex_);
    links_[{EngineIndex(id), std::string(site)}].page = std::move(body);
}

void EngineEmulator::SetFailing(EngineId id, bool failing) {
    std::lock_guard lock(mutex_);
    failing_[EngineIndex(id)] = failing;
}

std::vector<EmulatorRequest> EngineEmulator::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int EngineEmulator::RequestCount(EngineId id, EmulatorQuery query) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(
        requests_.begin(), requests_.end(),
        [&](const EmulatorRequest& r) { return r.engine == EngineIndex(id) && r.query == query; }));
}

void EngineEmulator::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

std::string EngineEmulator::PageWithoutMarkers() {
    return "<html><head><title>Search</title></head><body>\n<p>Nothing to see here.</p>\n"
           "</body></html>\n";
}

std::string EngineEmulator::ResultPage(EngineId id, std::string_view encodedKeyword, int start,
                                       std::string_view host) const {
    std::lock_guard lock(mutex_);
    return ResultPageLocked(id, std::string(encodedKeyword), start, host);
}

std::string EngineEmulator::LinkCountPage(EngineId id, std::string_view site) const {
    std::lock_guard lock(mutex_);
    return LinkCountPageLocked(id, std::string(site));
}

std::string EngineEmulator::ResultPageLocked(EngineId id, const std::string& encodedKeyword,
                                             int start, std::string_view host) const {
    const auto found = keywords_.find({EngineIndex(id), encodedKeyword});
    if (found == keywords_.end()) {
        return PageWithoutMarkers();
    }
    const KeywordSetup& setup = found->second;
    if (const auto page = setup.pages.find(start); page != setup.pages.end()) {
        return page->second;
    }
    const std::size_t size = setup.addresses.size();
    const std::size_t first = std::min(static_cast<std::size_t>(start), size);
    const std::size_t last = std::min(first + static_cast<std::size_t>(PageStep(id)), size);
    const bool more =
        setup.next == NextMark::Always || (setup.next == NextMark::WhenMoreResults && last < size);
    const std::int64_t total = setup.total.value_or(static_cast<std::int64_t>(size));
    // AOL states a number of pages of ten.
    const std::string totalText =
        id == EngineId::AOL ? std::to_string((total + 9) / 10) : FormatCount(std::to_string(total));

    std::string page(kPageHead);
    page += CountBlock(id, totalText, last > first ? start + 1 : 0,
                       start + static_cast<int>(last - first));
    for (std::size_t i = first; i < last; ++i) {
        page += Item(id, setup.addresses[i]);
    }
    page += NextBlock(id, encodedKeyword, start, more, host);
    page += kPageTail;
    return page;
}

std::string EngineEmulator::LinkCountPageLocked(EngineId id, const std::string& site) const {
    const auto found = links_.find({EngineIndex(id), site});
    if (found == links_.end()) {
        return PageWithoutMarkers();
    }
    const LinkSetup& setup = found->second;
    if (setup.page) {
        return *setup.page;
    }
    if (setup.nothingFound) {
        return std::string(kPageHead) +
               "<p>AltaVista found no document matching your query.</p>\n" + std::string(kPageTail);
    }
    if (!setup.countText) {
        return PageWithoutMarkers();
    }
    return std::string(kPageHead) + CountBlock(id, *setup.countText, 1, 10) +
           std::string(kPageTail);
}

std::string EngineEmulator::OpenPageRankAddress() const {
    return "http://" + Host() + std::string(kOprPath);
}

std::string EngineEmulator::Answer(const std::string& target,
                                   const std::vector<std::string>& headers,
                                   const std::string& host) {
    if (StartsWith(target, kMetasearchPath) && target.size() > kMetasearchPath.size() &&
        target[kMetasearchPath.size()] == '/') {
        std::string body;
        std::string type;
        if (metasearch_.Answer(std::string_view(target).substr(kMetasearchPath.size()), body,
                               type)) {
            return OkResponse(type, body);
        }
    }
    if (StartsWith(target, kOprPath)) {
        return openPageRank_.Respond(target, headers);
    }
    Classified asked = Classify(target);
    std::lock_guard lock(mutex_);
    if (asked.query == EmulatorQuery::LinkCount && !asked.keyword.empty() &&
        keywords_.count({asked.engine, asked.keyword}) != 0) {
        asked = Search(static_cast<EngineId>(asked.engine), asked.keyword, 0);
    }
    requests_.push_back({asked.engine, asked.query, target, asked.term, asked.start, headers});

    std::string body;
    std::string type = "text/html";
    if (asked.engine >= 0 && failing_[asked.engine]) {
        type = "image/gif";
        body = "GIF89a";
    } else if (asked.query == EmulatorQuery::KeywordSearch) {
        body = ResultPageLocked(static_cast<EngineId>(asked.engine), asked.term, asked.start, host);
    } else if (asked.query == EmulatorQuery::LinkCount) {
        body = LinkCountPageLocked(static_cast<EngineId>(asked.engine), asked.term);
    } else {
        body = PageWithoutMarkers();
    }
    return OkResponse(type, body);
}

std::string EngineEmulator::Respond(std::string_view head) {
    // "GET target HTTP/1.0", then the header lines.
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < head.size();) {
        std::size_t end = head.find("\r\n", from);
        if (end == std::string::npos || end == from) {
            break;
        }
        lines.emplace_back(head.substr(from, end - from));
        from = end + 2;
    }
    if (lines.empty()) {
        return std::string();
    }
    const std::string& requestLine = lines.front();
    const std::size_t space = requestLine.find(' ');
    const std::size_t lastSpace = requestLine.rfind(' ');
    std::string target = space != std::string::npos && lastSpace > space
                             ? requestLine.substr(space + 1, lastSpace - space - 1)
                             : std::string();
    // A request through a proxy names the whole address.
    if (StartsWith(target, "http://")) {
        const std::size_t slash = target.find('/', 7);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    std::vector<std::string> headers(lines.begin() + 1, lines.end());
    std::string host = Host();
    for (const std::string& line : headers) {
        if (StartsWith(line, "Host: ")) {
            host = line.substr(6);
        }
    }

    return Answer(target, headers, host);
}

}  // namespace sg
