#pragma once
// The Search Engine Readiness analysis of one page: the closing head and html tags, the title,
// description and keywords meta tags against their length limits, alt text on images, the text
// a search engine shows first, and the density of each keyword phrase. The findings are
// appended to an open report file as HTML fragments; nothing else is returned.

#include <string>
#include <vector>

namespace sg {

class FetchAhead;
class Fetcher;
class UrlEntry;
struct PageReadiness;

// Checks the structure, fetches the page again (both through `fetcher`) and writes its boxes. Each
// keyword phrase and its density go to `densitySink` when it is given; `findings`, when given, gets
// what the boxes show (its sub-pages left alone). Nothing survives from one page to the next: the
// description and keywords found are this page's alone. A cancelled run writes nothing more.
void AnalyzePageReadiness(Fetcher& fetcher, const std::string& reportPath,
                          const std::string& pageUrl, UrlEntry* densitySink,
                          PageReadiness* findings = nullptr);

// Starts in `ahead` the fetches that AnalyzePageReadiness will make for each page, in this
// order.
void FetchReadinessAhead(FetchAhead& ahead, const std::vector<std::string>& pageUrls);

}  // namespace sg
