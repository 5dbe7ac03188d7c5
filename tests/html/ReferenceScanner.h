#pragma once
// A slow, literal rendering of the page scanners and URL helpers: copies of the text that are cut
// as the search goes on, lower-cased copies for the case-insensitive tests, each walk run to the
// end. The tests compare the production scanners against it on generated pages.

#include <string>
#include <vector>

namespace sg::ref {

int FindNoCase(const std::string& text, const std::string& pattern);
std::string TrimBlanks(std::string text);
int CountImageTags(const std::string& page);
int CountAltTags(const std::string& page);
std::string TagText(std::string text, const std::string& tagStart);
std::string VisibleTextAfterHead(const std::string& page);
std::string StripFragment(const std::string& url);
std::string StripPort(const std::string& url);
std::string StripHttpPrefix(std::string url);
std::string EnsureHttpPrefix(const std::string& url);
std::string PercentEncode(const std::string& text);

}  // namespace sg::ref
