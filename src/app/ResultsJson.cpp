#include "app/ResultsJson.h"

#include <sstream>

#include "app/JsonPieces.h"
#include "app/LinkResult.h"

namespace sg {
namespace {

// Keys in the order they are written.
using json = nlohmann::ordered_json;

json Tag(const TagResult& tag) {
    return {{"text", tag.text},
            {"length", tag.length},
            {"limit", tag.limit},
            {"found", tag.found},
            {"ok", tag.ok}};
}

// A page's fields before its sub-pages, which the caller writes one by one.
void PageFields(JsonPieces& out, const PageReadiness& page) {
    json density = json::array();
    for (const DensityResult& d : page.density) {
        density.push_back({{"keyword", d.keyword}, {"percent", d.percent}});
    }
    out.Member("url", page.url);
    out.Member("analyzed", page.analyzed);
    out.Member("title", Tag(page.title));
    out.Member("description", Tag(page.description));
    out.Member("keywords", Tag(page.keywords));
    out.Member("images", page.images);
    out.Member("imagesWithoutAlt", page.imagesWithoutAlt);
    out.Member("density", density);
}

void ReadinessSite(JsonPieces& out, const PageReadiness& site) {
    out.OpenObject();
    PageFields(out, site);
    out.Key("pages");
    out.OpenArray();
    for (const PageReadiness& sub : site.pages) {
        out.Item();
        out.OpenObject();
        PageFields(out, sub);
        out.Close();
    }
    out.Close();
    out.Close();
}

json LinkRecord(const LinkResult& r) {
    json record = {{"from", r.from}, {"link", r.link}, {"status", r.status}};
    record["httpStatus"] = r.httpStatus ? json(*r.httpStatus) : nullptr;
    record["kind"] = r.kind;
    if (!r.reason.empty()) {
        record["reason"] = r.reason;
    }
    return record;
}

void LinksSite(JsonPieces& out, const SiteLinks& site) {
    out.OpenObject();
    out.Member("url", site.url);
    out.Member("pagesVisited", site.pagesVisited);
    out.Member("limitReached", site.limitReached);
    out.Member("linksNotRead", site.linksNotRead);
    out.Key("records");
    out.OpenArray();
    for (int n = 0; n < site.records.Count(); ++n) {
        out.Element(LinkRecord(LinkResultOf(site.records.At(n))));
    }
    out.Close();
    out.Close();
}

json PopularitySite(const SitePopularity& site) {
    json counts = json::object();
    for (const EngineCount& c : site.counts) {
        counts[c.engine] = c.count;
    }
    json row = {{"url", site.url}, {"counts", counts}};
    if (const std::optional<SiteAuthority>& a = site.authority) {
        auto value = [](const auto& figure) { return figure ? json(*figure) : json(nullptr); };
        row["domain"] = a->domain;
        row["ccHarmonicRank"] = value(a->ccHarmonicRank);
        row["ccPageRankRank"] = value(a->ccPageRankRank);
        row["oprScore"] = value(a->oprScore);
        row["oprRank"] = value(a->oprRank);
        if (!a->error.empty()) {
            row["error"] = a->error;
        }
    }
    return row;
}

json Figure(double figure) {
    return figure < 0 ? json(nullptr) : json(figure);
}

json AuditPageRow(const AuditPage& page) {
    json row = {{"url", page.url}};
    row["status"] = page.status != 0 ? json(page.status) : json(nullptr);
    row["redirectsTo"] = page.redirectsTo.empty() ? json(nullptr) : json(page.redirectsTo);
    row["indexable"] = page.indexable;
    row["notIndexableBecause"] = page.indexable ? json(nullptr) : json(page.notIndexableBecause);
    row["title"] = page.title;
    row["description"] = page.description;
    row["h1"] = page.h1;
    row["canonical"] = page.canonical.empty() ? json(nullptr) : json(page.canonical);
    row["words"] = page.words;
    // A figure the browser did not give (or a page not rendered) has none, not 0.
    row["lcpMs"] = Figure(page.lcpMs);
    row["cls"] = Figure(page.cls);
    row["tbtMs"] = Figure(page.tbtMs);
    return row;
}

json AuditFindingRow(const AuditFinding& finding) {
    json row = {{"check", finding.check},
                {"severity", std::string(AuditSeverityName(finding.severity))}};
    row["url"] = finding.url ? json(*finding.url) : json(nullptr);
    row["detail"] = finding.detail;
    return row;
}

void AuditSiteJson(JsonPieces& out, const AuditSite& site) {
    out.OpenObject();
    out.Member("url", site.url);
    out.Member("unreachable", site.unreachable);
    out.Member("medianFirstByteMs",
               site.medianFirstByteMs < 0 ? json(nullptr) : json(site.medianFirstByteMs));
    out.Member("medianLcpMs", Figure(site.medianLcpMs));
    out.Member("medianCls", Figure(site.medianCls));
    out.Member("medianTbtMs", Figure(site.medianTbtMs));
    out.Key("pages");
    out.OpenArray();
    for (const AuditPage& page : site.pages) {
        out.Element(AuditPageRow(page));
    }
    out.Close();
    out.Key("findings");
    out.OpenArray();
    for (const AuditFinding& finding : site.findings) {
        out.Element(AuditFindingRow(finding));
    }
    out.Close();
    out.Close();
}

json PositionRow(const PositionResult& p) {
    json row = {{"keyword", p.keyword}, {"site", p.site}, {"engine", p.engine}};
    row["position"] = p.position ? json(*p.position) : nullptr;
    if (!p.error.empty()) {
        row["error"] = p.error;
    }
    return row;
}

void Sites(JsonPieces& out, const RunResults& results, ResultsKind kind) {
    out.OpenArray();
    switch (kind) {
        case ResultsKind::Readiness:
            for (const PageReadiness& site : results.readiness) {
                out.Item();
                ReadinessSite(out, site);
            }
            break;
        case ResultsKind::Links:
            for (const SiteLinks& site : results.links) {
                out.Item();
                LinksSite(out, site);
            }
            break;
        case ResultsKind::Popularity:
            for (const SitePopularity& site : results.popularity) {
                out.Element(PopularitySite(site));
            }
            break;
        case ResultsKind::Audit:
            for (const AuditSite& site : results.audit) {
                out.Item();
                AuditSiteJson(out, site);
            }
            break;
        case ResultsKind::Positions:
            break;
    }
    out.Close();
}

}  // namespace

int WriteResultsJson(std::ostream& stream, const RunResults& results, ResultsKind kind,
                     std::string_view project) {
    JsonPieces out(stream);
    out.OpenObject();
    out.Member("format", 1);
    out.Member("project", std::string(project));
    if (kind == ResultsKind::Positions) {
        out.Member("depth", results.depth);
        out.Key("results");
        out.OpenArray();
        for (const PositionResult& p : results.positions) {
            out.Element(PositionRow(p));
        }
        out.Close();
    } else {
        out.Key("sites");
        Sites(out, results, kind);
    }
    out.Close();
    stream.put('\n');
    return stream.good() ? kJsonWritten : kJsonNotWritten;
}

std::string ResultsJson(const RunResults& results, ResultsKind kind, std::string_view project) {
    std::ostringstream out;
    WriteResultsJson(out, results, kind, project);
    return std::move(out).str();
}

}  // namespace sg
