#pragma once
// Text clean-up of URLs for the crawl and its report, and the percent-encoding of query words.
// Pure text operations: none of them looks at what the URL points to.

#include <string>
#include <string_view>

namespace sg {

// The URL cut at its first "#".
std::string StripFragment(std::string_view url);

// The URL without the part from the first ":" that is followed by a digit up to the next "/".
std::string StripPort(std::string_view url);

// The URL with every "http://" removed (one pass, left to right).
std::string StripHttpPrefix(std::string_view url);

// "http://" + URL, unless the URL holds "http:" anywhere or starts with "https://".
std::string EnsureHttpPrefix(std::string_view url);

// Bytes 33..122 other than the reserved characters are kept; every other byte becomes %XX.
std::string PercentEncode(std::string_view text);

}  // namespace sg
