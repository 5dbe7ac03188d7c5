#pragma once
// The link and frame scanners run on every directly fetched page, and the resolution of a link
// against the URL of the page it was found on. Pages are searched, never parsed: the quirks of
// these searches decide which links the crawl follows, so they are kept exactly.

#include <string>
#include <string_view>
#include <vector>

namespace sg {

// Fills `frames` with the distinct resolved "src" values of "<frame" tags (which includes
// "<frameset"), then `links` with the distinct resolved "href" values of "<a " tags, each in
// order of first appearance. Both lists are emptied first. A tag start with no ">" after it ends
// that scan.
void ExtractPageLinks(std::string_view page, std::string_view pageUrl,
                      std::vector<std::string>& frames, std::vector<std::string>& links);

// The value of attribute `name` in one tag text (backslashes ignored, quotes honoured); empty
// when absent, unterminated or blank.
std::string AttributeValue(std::string_view tag, std::string_view name);

// The absolute form of a link found on the page at pageUrl, or empty for a link that is not
// followed (mail, news, ftp, scripts and the like). "http:" and "https:" links stay as written.
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
