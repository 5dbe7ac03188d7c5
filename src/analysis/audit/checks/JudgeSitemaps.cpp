// Sitemaps: missing or unreadable, listing bad addresses, missing pages, or orphans.

#include <unordered_set>

#include "analysis/audit/checks/AuditJudge.h"
#include "html/UrlText.h"

namespace sg {
namespace {

// Why a listed page should not be listed; empty when it may be.
std::string ListedProblem(const AuditAnswer& answer, const PageState& state) {
    if (answer.redirectLoop) {
        return "redirects in a loop";
    }
    if (!answer.redirects.empty()) {
        return "redirects to " + answer.redirects.back();
    }
    if (answer.status != 200) {
        return AnswerText(answer.status);
    }
    if (state.noindex) {
        return "is noindex";
    }
    if (state.blocked) {
        return "is blocked by robots.txt";
    }
    if (state.canonicalElsewhere) {
        return "names " + state.canonical + " as canonical";
    }
    return {};
}

// The pages linked from a crawled page (or reached by the crawl), and the start.
std::unordered_set<std::string> Linked(const AuditSiteData& data) {
    std::unordered_set<std::string> linked;
    linked.insert(AuditKey(data.root));
    linked.insert(AuditKey(data.siteUrl));
    for (const AuditLink& link : data.links) {
        if (link.page && AuditKey(link.from) != AuditKey(link.to)) {
            linked.insert(AuditKey(link.to));
        }
    }
    // A page the crawl reached was linked, also where a redirect brought it there.
    for (const AuditAnswer& answer : data.answers) {
        if (answer.crawled) {
            linked.insert(AuditKey(answer.url));
        }
    }
    return linked;
}

}  // namespace

void JudgeSitemaps(AuditJudge& judge) {
    const AuditSiteData& data = judge.Data();
    if (!data.sitemapFound) {
        judge.Add(kSitemapMissing, std::nullopt,
                  "robots.txt names no sitemap and /sitemap.xml is not there");
    }
    bool read = false;
    for (const AuditSitemapFile& file : data.sitemaps) {
        if (file.otherHost > 0) {
            judge.Add(
                kSitemapOtherHost, file.url,
                "lists " + std::to_string(file.otherHost) +
                    (file.otherHost == 1 ? " address" : " addresses") +
                    " of another host or scheme: " + Named(file.otherHostFirst, file.otherHost));
        }
        if (!file.problem.empty()) {
            judge.Add(kSitemapInvalid, file.url, file.problem);
        } else if (file.content.kind == SitemapContent::Kind::UrlSet) {
            read = true;
        }
    }
    std::unordered_set<std::string> listed;
    for (const std::string& url : data.listed) {
        listed.insert(AuditKey(url));
        if (const std::optional<std::size_t> page = judge.PageOf(url)) {
            const AuditAnswer& answer = data.answers[*page];
            const std::string why = ListedProblem(answer, judge.State(*page));
            if (!why.empty()) {
                judge.Add(kSitemapUrlBad, answer.url, why);
            }
        }
    }
    if (read) {
        for (std::size_t i = 0; i < data.answers.size(); ++i) {
            const AuditAnswer& answer = data.answers[i];
            if (answer.crawled && judge.Content(i) && judge.State(i).indexable &&
                listed.count(AuditKey(answer.url)) == 0) {
                judge.Add(kNotInSitemap, answer.url, "in no sitemap");
            }
        }
    }
    const std::unordered_set<std::string> linked = Linked(data);
    for (const std::string& url : data.listed) {
        if (SameHost(url, data.root) && linked.count(AuditKey(url)) == 0) {
            judge.Add(kSitemapOrphan, url, "no crawled page links to it");
        }
    }
}

}  // namespace sg
