// The Site Audit's judging of a site whose K pages each name the same K pages as hreflang
// alternates and share one title and description (K = 250, 500, 1000): the hreflang and the
// duplicate checks should grow with pages times alternates, near-linearly.

#include <benchmark/benchmark.h>

#include <string>

#include "analysis/audit/checks/AuditRules.h"

namespace {

constexpr std::time_t kNow = 1767225600;  // 2026-01-01 00:00:00 UTC

sg::AuditSiteData MutualAlternates(int pages) {
    sg::AuditSiteData data;
    data.siteUrl = data.root = "http://t.test/";
    data.robotsStatus = 404;
    data.sitemapFound = true;
    std::vector<sg::PageAlternate> alternates;
    for (int n = 0; n < pages; ++n) {
        alternates.push_back({"en", "http://t.test/" + std::to_string(n)});
    }
    for (int n = 0; n < pages; ++n) {
        sg::AuditAnswer& page = data.answers.emplace_back();
        page.url = page.from = page.finalUrl = alternates[n].href;
        page.status = 200;
        page.html = page.crawled = true;
        page.facts.titles = {"The same title on every page of the site"};
        page.facts.descriptions = {
            "The same description on every page of the site, long enough "
            "not to be too short"};
        page.facts.h1s = {"Heading"};
        page.facts.words = 300;
        page.facts.textHash = n;
        page.facts.lang = page.facts.viewport = page.facts.metaCharset = true;
        page.facts.alternates = alternates;
    }
    return data;
}

void BM_JudgeMutualHreflang(benchmark::State& state) {
    const sg::AuditSiteData data = MutualAlternates(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(sg::JudgeSite(data, kNow));
    }
}
BENCHMARK(BM_JudgeMutualHreflang)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
