#include "app/ResultsWholeDocument.h"

#include <nlohmann/json.hpp>

#include "app/LinkResult.h"

namespace sg::test {
namespace {

// Keys in the order they are written, so that "format" and "project" come first.
using json = nlohmann::ordered_json;

json Tag(const TagResult& tag) {
    return {{"text", tag.text},
            {"length", tag.length},
            {"limit", tag.limit},
            {"found", tag.found},
            {"ok", tag.ok}};
}

json Page(const PageReadiness& page, bool withPages) {
    json density = json::array();
    for (const DensityResult& d : page.density) {
        density.push_back({{"keyword", d.keyword}, {"percent", d.percent}});
    }
    json out = {{"url", page.url},
                {"analyzed", page.analyzed},
                {"title", Tag(page.title)},
                {"description", Tag(page.description)},
                {"keywords", Tag(page.keywords)},
                {"images", page.images},
                {"imagesWithoutAlt", page.imagesWithoutAlt},
                {"density", density}};
    if (withPages) {
        json pages = json::array();
        for (const PageReadiness& sub : page.pages) {
            pages.push_back(Page(sub, false));
        }
        out["pages"] = pages;
    }
    return out;
}

json AuditSiteJson(const AuditSite& site) {
    json pages = json::array();
    for (const AuditPage& page : site.pages) {
        json row = {{"url", page.url}};
        row["status"] = page.status != 0 ? json(page.status) : json(nullptr);
        row["redirectsTo"] = page.redirectsTo.empty() ? json(nullptr) : json(page.redirectsTo);
        row["indexable"] = page.indexable;
        row["notIndexableBecause"] =
            page.indexable ? json(nullptr) : json(page.notIndexableBecause);
        row["title"] = page.title;
        row["description"] = page.description;
        row["h1"] = page.h1;
        row["canonical"] = page.canonical.empty() ? json(nullptr) : json(page.canonical);
        row["words"] = page.words;
        for (const auto& [name, figure] :
             {std::pair{"lcpMs", page.lcpMs}, {"cls", page.cls}, {"tbtMs", page.tbtMs}}) {
            row[name] = figure < 0 ? json(nullptr) : json(figure);
        }
        pages.push_back(std::move(row));
    }
    json findings = json::array();
    for (const AuditFinding& finding : site.findings) {
        json row = {{"check", finding.check},
                    {"severity", std::string(AuditSeverityName(finding.severity))}};
        row["url"] = finding.url ? json(*finding.url) : json(nullptr);
        row["detail"] = finding.detail;
        findings.push_back(std::move(row));
    }
    return {{"url", site.url},
            {"unreachable", site.unreachable},
            {"medianFirstByteMs",
             site.medianFirstByteMs < 0 ? json(nullptr) : json(site.medianFirstByteMs)},
            {"medianLcpMs", site.medianLcpMs < 0 ? json(nullptr) : json(site.medianLcpMs)},
            {"medianCls", site.medianCls < 0 ? json(nullptr) : json(site.medianCls)},
            {"medianTbtMs", site.medianTbtMs < 0 ? json(nullptr) : json(site.medianTbtMs)},
            {"pages", pages},
            {"findings", findings}};
}

json Sites(const RunResults& results, ResultsKind kind) {
    json sites = json::array();
    switch (kind) {
        case ResultsKind::Readiness:
            for (const PageReadiness& page : results.readiness) {
                sites.push_back(Page(page, true));
            }
            break;
        case ResultsKind::Links:
            for (const SiteLinks& site : results.links) {
                json records = json::array();
                for (int n = 0; n < site.records.Count(); ++n) {
                    const LinkResult r = LinkResultOf(site.records.At(n));
                    json record = {{"from", r.from}, {"link", r.link}, {"status", r.status}};
                    record["httpStatus"] = r.httpStatus ? json(*r.httpStatus) : nullptr;
                    record["kind"] = r.kind;
                    if (!r.reason.empty()) {
                        record["reason"] = r.reason;
                    }
                    records.push_back(record);
                }
                sites.push_back({{"url", site.url},
                                 {"pagesVisited", site.pagesVisited},
                                 {"limitReached", site.limitReached},
                                 {"linksNotRead", site.linksNotRead},
                                 {"records", records}});
            }
            break;
        case ResultsKind::Popularity:
            for (const SitePopularity& site : results.popularity) {
                json counts = json::object();
                for (const EngineCount& c : site.counts) {
                    counts[c.engine] = c.count;
                }
                json row = {{"url", site.url}, {"counts", counts}};
                if (const auto& a = site.authority) {
                    auto figure = [](const auto& v) { return v ? json(*v) : json(nullptr); };
                    row["domain"] = a->domain;
                    row["ccHarmonicRank"] = figure(a->ccHarmonicRank);
                    row["ccPageRankRank"] = figure(a->ccPageRankRank);
                    row["oprScore"] = figure(a->oprScore);
                    row["oprRank"] = figure(a->oprRank);
                    if (!a->error.empty()) {
                        row["error"] = a->error;
                    }
                }
                sites.push_back(row);
            }
            break;
        case ResultsKind::Audit:
            for (const AuditSite& site : results.audit) {
                sites.push_back(AuditSiteJson(site));
            }
            break;
        case ResultsKind::Positions:
            break;
    }
    return sites;
}

// The dumped text with DEL and the C1 controls (U+0080..U+009F) as \u escapes, as the dump
// already writes the C0 ones: a reader gets the same strings, and a terminal shown the text gets
// no control from it. These bytes stand only inside strings, and C2 only leads a character.
std::string ControlsEscaped(const std::string& dumped) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(dumped.size());
    for (std::size_t i = 0; i < dumped.size(); ++i) {
        const auto c = static_cast<unsigned char>(dumped[i]);
        unsigned code = c;
        if (c == 0xC2 && i + 1 < dumped.size() &&
            static_cast<unsigned char>(dumped[i + 1]) < 0xA0) {
            code = static_cast<unsigned char>(dumped[++i]);
        } else if (c != 0x7F) {
            out += dumped[i];
            continue;
        }
        out += "\\u00";
        out += kHex[code >> 4];
        out += kHex[code & 0x0F];
    }
    return out;
}

}  // namespace

std::string WholeDocumentJson(const RunResults& results, ResultsKind kind,
                              std::string_view project) {
    json document;
    document["format"] = 1;
    document["project"] = std::string(project);
    if (kind == ResultsKind::Positions) {
        document["depth"] = results.depth;
        json rows = json::array();
        for (const PositionResult& p : results.positions) {
            json row = {{"keyword", p.keyword}, {"site", p.site}, {"engine", p.engine}};
            row["position"] = p.position ? json(*p.position) : nullptr;
            if (!p.error.empty()) {
                row["error"] = p.error;
            }
            rows.push_back(row);
        }
        document["results"] = rows;
    } else {
        document["sites"] = Sites(results, kind);
    }
    return ControlsEscaped(document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace)) +
           "\n";
}

}  // namespace sg::test
