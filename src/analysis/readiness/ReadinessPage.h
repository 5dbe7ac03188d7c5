#pragma once
// The frame of every readiness report page: the header naming the site, the caption of the
// single report, one analyzed page (its URL box, the analyzer's boxes, the page close) and the
// footer with the tutorial links. Every writer answers false when the run was cancelled.

#include <string>

namespace sg {

class Fetcher;
class UrlEntry;
struct PageReadiness;

// The header for the site at `siteUrl`. A nested sub-page has no title line: it goes from the
// content-type line straight to the body line.
bool WriteReadinessHeader(const std::string& path, const std::string& siteUrl, bool withTitle);

// The "Search Engine Preparedeness" caption of the single report.
bool WriteReadinessCaption(const std::string& path);

// The URL box showing `shownUrl`, the analysis of the page at `pageUrl` fetched through
// `fetcher` (its phrases going to `densitySink` when given, its findings to `result` when
// given) and the page close.
bool WriteAnalyzedPage(Fetcher& fetcher, const std::string& path, const std::string& shownUrl,
                       const std::string& pageUrl, UrlEntry* densitySink,
                       PageReadiness* result = nullptr);

bool WriteReadinessFooter(const std::string& path);

// A report file is appended to line by line; one left from an earlier run under the same report
// name is removed first, so that a run never continues another run's page.
void StartReadinessFile(const std::string& path);

}  // namespace sg
