// Throughput of the page scanners on generated pages that look like ordinary HTML: paragraphs of
// text with markup, an anchor, a frame or an image every few hundred bytes.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "html/PageCounters.h"
#include "html/PageLinks.h"

namespace {

std::string MakePage(std::size_t size) {
    std::mt19937 rng(20240601);
    std::string page =
        "<html><head><title>Garden tools and supplies</title>\n"
        "<meta name=\"keywords\" content=\"garden, tools\"></head>\n<body bgcolor=white>\n";
    const char* words[] = {"garden ",    "tools ",        "for ",    "the ",
                           "spring ",    "season ",       "and ",    "<b>quality</b> ",
                           "hand-made ", "<i>steel</i> ", "rakes, ", "hoes. "};
    std::size_t item = 0;
    while (page.size() < size) {
        page += "<p>";
        const std::size_t count = 20 + rng() % 40;  // a paragraph of about 150 to 400 bytes
        for (std::size_t w = 0; w < count; ++w) {
            page += words[rng() % std::size(words)];
        }
        ++item;
        switch (rng() % 6) {
            case 0:
                page += "<a href=\"/catalog/item" + std::to_string(item) + ".html\">Item</a>";
                break;
            case 1:
                page += "<A HREF='../shop/Page" + std::to_string(item % 500) + ".html'>Shop</A>";
                break;
            case 2:
                page += "<a class=nav href=http://partner.example/p?id=" + std::to_string(item) +
                        " target=_blank>Partner</a>";
                break;
            case 3:
                page += "<img src=\"/images/pic" + std::to_string(item) + ".gif\" alt=\"Picture\">";
                break;
            case 4:
                page += "<frame src=\"frames/f" + std::to_string(item % 50) + ".html\">";
                break;
            default:
                page += "<a href=\"mailto:sales@example.com\">Mail us</a>";
                break;
        }
        page += "</p>\n";
    }
    page += "</body></html>\n";
    return page;
}

const std::string& Page(std::size_t size) {
    static std::string small = MakePage(1u << 20);
    static std::string large = MakePage(16u << 20);
    return size == (1u << 20) ? small : large;
}

void ExtractLinks(benchmark::State& state, const std::string& page) {
    std::vector<std::string> frames, links, resources;
    for (auto _ : state) {
        sg::ExtractPageLinks(page, "www.example.com/dir/index.html", frames, links, resources);
        benchmark::DoNotOptimize(links.data());
        benchmark::DoNotOptimize(frames.data());
        benchmark::DoNotOptimize(resources.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
    state.counters["links"] = static_cast<double>(links.size());
    state.counters["frames"] = static_cast<double>(frames.size());
    state.counters["resources"] = static_cast<double>(resources.size());
}

void BM_ExtractPageLinks(benchmark::State& state) {
    ExtractLinks(state, Page(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ExtractPageLinks)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

// A real documentation page that none of us wrote: the largest page of the corpus that
// `scripts/install-deps --test` installs (about 0.9 MiB, some 1,700 links). The goal is 1 MiB
// within 20 ms.
constexpr const char* kRealPage = "/usr/share/doc/python-flask-doc/html/api.html";

void BM_ExtractPageLinksRealPage(benchmark::State& state) {
    std::ifstream in(kRealPage, std::ios::binary);
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (page.empty()) {
        state.SkipWithError("the documentation corpus is not installed");
        return;
    }
    ExtractLinks(state, page);
}
BENCHMARK(BM_ExtractPageLinksRealPage)->Unit(benchmark::kMillisecond);

void BM_PageCounters(benchmark::State& state) {
    const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(sg::CountImageTags(page) + sg::CountAltTags(page));
        benchmark::DoNotOptimize(sg::VisibleTextAfterHead(page).size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_PageCounters)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

// Every image path holds "/head", so the designed walk runs once per image to the end of the
// page. With no text between the tags each walk adds only the rest of its image path, so the
// output stays linear and the time shows whether the walks are.
void BM_VisibleTextManyHeads(benchmark::State& state) {
    std::string page = "<html><head></head><body>";
    while (page.size() < static_cast<std::size_t>(state.range(0))) {
        page += "<img src=\"/headline.gif\">";
    }
    std::size_t length = 0;
    for (auto _ : state) {
        length = sg::VisibleTextAfterHead(page).size();
        benchmark::DoNotOptimize(length);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
    state.counters["text"] = static_cast<double>(length);
}
BENCHMARK(BM_VisibleTextManyHeads)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
