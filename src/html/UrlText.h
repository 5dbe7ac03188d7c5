#pragma once
// Text clean-up of URLs for the crawl and its report, the host test of the crawl, and the
// percent-encoding of query words. Pure text operations: none of them looks at what the URL
// points to.

#include <string>
#include <string_view>

namespace sg {

// The URL cut at its first "#".
std::string StripFragment(std::string_view url);

// The URL without the part from the first ":" that is followed by a digit up to the next "/".
std::string StripPort(std::string_view url);

// The URL with every "http://" removed (one pass, left to right).
std::string StripHttpPrefix(std::string_view url);

// "http://" + URL, unless the URL holds "http:" anywhere or begins with "https://" (any case):
// a report's link to an https page must stay one.
std::string EnsureHttpPrefix(std::string_view url);

// Whether two URLs name the same host: their parts up to the first "/", "?" or "#" after a
// leading "http://" or "https://" (any case) is removed, compared without regard to case, a port
// included.
bool SameHost(std::string_view a, std::string_view b);

// Bytes 33..122 other than the reserved characters are kept; every other byte becomes %XX.
std::string PercentEncode(std::string_view text);

}  // namespace sg
