#pragma once
// Text helpers for the addresses of links: the designed resolution of a redirect's Location
// against the address asked, and the host tests of the crawl. The links of a page are found by
// ExtractPageLinks (PageLinks.h).

#include <string>
#include <string_view>
#include <vector>

namespace sg {

// The absolute form of a link against the address pageUrl by the designed text rules (only
// leading "../" climb; "http:" anywhere keeps the link as written), or empty for a link that is
// not followed (mail, news, ftp, scripts and the like). "http:" and "https:" links stay as
// written. Pages' links resolve by RFC 3986 instead (Url.h).
std::string ResolveLink(std::string_view link, std::string_view pageUrl);

// The URL up to its first "/", or the whole URL.
std::string UrlHost(std::string_view url);

// Whether two URLs name the same host: their parts up to the first "/" after a leading
// "http://" or "https://" (any case) is removed, compared without regard to case, a port
// included.
bool SameHost(std::string_view a, std::string_view b);

// The URL with levels+1 trailing path steps cut off, ending in "/" unless nothing is left.
std::string ParentPath(std::string_view url, int levels);

}  // namespace sg
