// The page scanners against their literal reference: the image and alt counts, the tag text, the
// visible text after the head and the URL helpers; and what the reports and the CSV make of links
// and page text. The first line of the input is the page's URL, the rest the page. Any difference
// is a fault.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "html/KeywordDensity.h"
#include "html/PageCounters.h"
#include "html/PageLinks.h"
#include "html/ReferenceScanner.h"
#include "html/TextUtil.h"
#include "html/UrlText.h"
#include "reports/CsvText.h"
#include "reports/ReportEscape.h"
#include "support/BrowserScheme.h"

namespace {

constexpr std::size_t kMaxUrl = 256;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // No line end within the first bytes: no URL, all page.
    const std::size_t lineEnd = input.substr(0, kMaxUrl).find('\n');
    const bool hasUrl = lineEnd != std::string_view::npos;
    const std::string url(hasUrl ? input.substr(0, lineEnd) : std::string_view());
    const std::string page(hasUrl ? input.substr(lineEnd + 1) : input);

    std::vector<std::string> frames;
    std::vector<std::string> links;
    std::vector<std::string> resources;
    sg::ExtractPageLinks(page, url, frames, links, resources);

    // Whatever a link holds, its report href stays one unquoted attribute value and leads to an
    // http or https address once the browser has decoded it.
    for (const std::vector<std::string>* list : {&links, &frames, &resources}) {
        for (const std::string& link : *list) {
            const std::string href = sg::ReportLinkHref(link);
            SG_FUZZ_CHECK(href.find_first_of(" \t\r\n\"'<>`") == std::string::npos);
            const std::string scheme = sg::test::BrowserScheme(href);
            SG_FUZZ_CHECK(scheme == "http" || scheme == "https");
        }
    }
    // The page's title and the URL as CSV fields: never the start of a spreadsheet formula
    // (but a plain number), and read back as they were.
    const std::string title = sg::TagText(page, "<title");
    const std::string head = page.substr(0, 64);
    const std::array<std::string_view, 3> fields = {title, url, head};
    for (std::string_view field : fields) {
        std::string written = sg::CsvField(field);
        if (written.starts_with('"')) {
            written.erase(0, 1);
        }
        if (!written.empty() &&
            std::string_view("=+-@\t\r").find(written[0]) != std::string_view::npos) {
            SG_FUZZ_CHECK(field.find_first_not_of("-0123456789.") == std::string_view::npos);
        }
    }
    SG_FUZZ_CHECK(sg::ParseCsv(sg::CsvRecord(fields)) ==
                  (std::vector<std::vector<std::string>>{
                      {std::string(fields[0]), std::string(fields[1]), std::string(fields[2])}}));

    SG_FUZZ_CHECK(sg::CountImageTags(page) ==
                  static_cast<std::size_t>(sg::ref::CountImageTags(page)));
    SG_FUZZ_CHECK(sg::CountAltTags(page) == static_cast<std::size_t>(sg::ref::CountAltTags(page)));
    SG_FUZZ_CHECK(sg::TagText(page, "<title") == sg::ref::TagText(page, "<title"));
    const std::string visible = sg::ref::VisibleTextAfterHead(page);
    SG_FUZZ_CHECK(sg::VisibleTextAfterHead(page, 200) == visible.substr(0, 200));
    SG_FUZZ_CHECK(sg::VisibleTextAfterHead(page, 4096) == visible.substr(0, 4096));

    SG_FUZZ_CHECK(sg::FindNoCase(page, url) == sg::ref::FindNoCase(page, url));
    SG_FUZZ_CHECK(sg::TrimBlanks(page) == sg::ref::TrimBlanks(page));
    SG_FUZZ_CHECK(sg::StripFragment(url) == sg::ref::StripFragment(url));
    SG_FUZZ_CHECK(sg::StripPort(url) == sg::ref::StripPort(url));
    SG_FUZZ_CHECK(sg::StripHttpPrefix(url) == sg::ref::StripHttpPrefix(url));
    SG_FUZZ_CHECK(sg::EnsureHttpPrefix(url) == sg::ref::EnsureHttpPrefix(url));
    SG_FUZZ_CHECK(sg::PercentEncode(url) == sg::ref::PercentEncode(url));

    // The keyword density of the URL line read as a phrase: any text, never a crash, and the
    // printed value is what was stored.
    const sg::KeywordDensityResult density = sg::KeywordDensity(url, page);
    SG_FUZZ_CHECK(density.value >= 0.0);
    SG_FUZZ_CHECK(sg::FormatDensity(density.value) == density.text);
    return 0;
}
