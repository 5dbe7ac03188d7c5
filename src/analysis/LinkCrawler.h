#pragma once
// The Link Validator crawl: fetches a site's start page, judges every link and frame on it and,
// when asked to follow the site, visits every page of the same host it can reach. Each URL met
// is recorded with the page it was found on in the program's record list (CrawlRecordList.h),
// which is the crawl's only result.
//
// A URL is broken only when the server's head contains "404" and its page says so in words
// ("404 not found", "not found", "not be found", in any case); unreachable when no answer came;
// available otherwise. A crawl stops visiting pages once the list holds more than kRecordLimit
// records; pages already being visited still record their remaining links.
//
// Every fetch uses a fresh HTTP client with the proxy settings applied and up to 3 attempts,
// on the URL without its fragment (a port in it is kept and connected to). A cancelled run
// records nothing more.

#include <string>

namespace sg {

inline constexpr int kRecordLimit = 1000;

// Sets the crawl root, clears the record list, visits the start URL (found on itself) and, when
// `reportPath` is not empty, appends the link tables to that file (WriteLinkTables). The root
// becomes the start page's address at the end of its redirects.
void CrawlSite(const std::string& reportPath, const std::string& startUrl, bool followSite);

// The root of the last CrawlSite: the start page's address at the end of its redirects, or the
// start URL when the page was not reached. Its links are the site's pages.
std::string CrawlRoot();

// Fetches and judges one page, then its frames (always visited) and its links (visited when
// following and on the crawl root's host (SameHost: written absolute or relative), otherwise
// judged by CheckLink). A URL already in the record list (with or without "http://") is not
// fetched again: a record with its earlier status is added.
void VisitPage(const std::string& url, const std::string& fromPage, bool followSite);

// Judges a link without visiting it: its head first, its page only when the head holds "404".
// A head answer without any header lines leaves no record.
void CheckLink(const std::string& link, const std::string& fromPage);

}  // namespace sg
