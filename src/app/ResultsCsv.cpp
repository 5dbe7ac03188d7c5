#include "app/ResultsCsv.h"

#include <charconv>
#include <initializer_list>
#include <span>
#include <sstream>
#include <unordered_map>

#include "app/LinkResult.h"

namespace sg {
namespace {

// Where the table goes and how its values keep their control characters.
struct CsvOut {
    std::ostream& stream;
    CsvControls controls;
};

void AppendRow(CsvOut& out, std::initializer_list<std::string_view> fields) {
    const std::string record =
        CsvRecord(std::span<const std::string_view>(fields.begin(), fields.size()), out.controls);
    out.stream.write(record.data(), static_cast<std::streamsize>(record.size()));
}

std::string_view Bool(bool value) {
    return value ? "true" : "false";
}

void AppendPage(CsvOut& out, const std::string& site, const PageReadiness& page) {
    AppendRow(out,
              {site, page.url, Bool(page.analyzed), page.title.text,
               std::to_string(page.title.length), Bool(page.title.ok), page.description.text,
               std::to_string(page.description.length), Bool(page.description.ok),
               page.keywords.text, std::to_string(page.keywords.length), Bool(page.keywords.ok),
               std::to_string(page.images), std::to_string(page.imagesWithoutAlt)});
}

std::string Figure(const std::optional<std::int64_t>& value) {
    return value ? std::to_string(*value) : std::string();
}

// The score as JSON writes it (shortest form that reads back the same).
std::string ScoreText(double score) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, score);
    return error == std::errc() ? std::string(text, end) : std::string();
}

// A lab figure of a rendered page; empty for none.
std::string Figure(const AuditPage* page, double AuditPage::*figure) {
    return page == nullptr || page->*figure < 0 ? std::string() : AuditFigureText(page->*figure);
}

}  // namespace

int WriteResultsCsv(std::ostream& stream, const RunResults& results, ResultsKind kind,
                    CsvControls controls) {
    CsvOut out{stream, controls};
    switch (kind) {
        case ResultsKind::Readiness:
            AppendRow(out, {"site", "page", "analyzed", "title", "titleLength", "titleOk",
                            "description", "descriptionLength", "descriptionOk", "keywords",
                            "keywordsLength", "keywordsOk", "images", "imagesWithoutAlt"});
            for (const PageReadiness& site : results.readiness) {
                AppendPage(out, site.url, site);
                for (const PageReadiness& sub : site.pages) {
                    AppendPage(out, site.url, sub);
                }
            }
            break;
        case ResultsKind::Links:
            AppendRow(out, {"site", "from", "link", "status", "httpStatus", "kind"});
            for (const SiteLinks& site : results.links) {
                for (int n = 0; n < site.records.Count(); ++n) {
                    const LinkResult r = LinkResultOf(site.records.At(n));
                    AppendRow(out, {site.url, r.from, r.link, r.status,
                                    r.httpStatus ? std::to_string(*r.httpStatus) : std::string(),
                                    r.kind});
                }
            }
            break;
        case ResultsKind::Popularity:
            AppendRow(out, {"site", "engine", "count", "ccHarmonicRank", "ccPageRankRank",
                            "oprScore", "oprRank", "error"});
            for (const SitePopularity& site : results.popularity) {
                // The site's authority stands on each of its rows, empty where it has none.
                const SiteAuthority none;
                const SiteAuthority& a = site.authority ? *site.authority : none;
                const std::string harmonic = Figure(a.ccHarmonicRank);
                const std::string pageRank = Figure(a.ccPageRankRank);
                const std::string score = a.oprScore ? ScoreText(*a.oprScore) : std::string();
                const std::string rank = Figure(a.oprRank);
                for (const EngineCount& c : site.counts) {
                    AppendRow(out, {site.url, c.engine, std::to_string(c.count), harmonic, pageRank,
                                    score, rank, a.error});
                }
            }
            break;
        case ResultsKind::Audit:
            AppendRow(out, {"site", "check", "severity", "url", "detail", "lcpMs", "cls", "tbtMs"});
            for (const AuditSite& site : results.audit) {
                // The lab figures of the page a finding is about, when it was rendered.
                std::unordered_map<std::string_view, const AuditPage*> rendered;
                for (const AuditPage& page : site.pages) {
                    if (page.rendered) {
                        rendered.emplace(page.url, &page);
                    }
                }
                for (const AuditFinding& f : site.findings) {
                    const auto found = f.url ? rendered.find(*f.url) : rendered.end();
                    const AuditPage* page = found == rendered.end() ? nullptr : found->second;
                    AppendRow(out, {site.url, f.check, AuditSeverityName(f.severity),
                                    f.url ? std::string_view(*f.url) : std::string_view(), f.detail,
                                    Figure(page, &AuditPage::lcpMs), Figure(page, &AuditPage::cls),
                                    Figure(page, &AuditPage::tbtMs)});
                }
            }
            break;
        case ResultsKind::Positions:
            AppendRow(out, {"keyword", "site", "engine", "position", "error"});
            for (const PositionResult& p : results.positions) {
                AppendRow(out, {p.keyword, p.site, p.engine,
                                p.position ? std::to_string(*p.position) : std::string(), p.error});
            }
            break;
    }
    return stream.good() ? kCsvWritten : kCsvNotWritten;
}

std::string ResultsCsv(const RunResults& results, ResultsKind kind, CsvControls controls) {
    std::ostringstream out;
    WriteResultsCsv(out, results, kind, controls);
    return std::move(out).str();
}

}  // namespace sg
