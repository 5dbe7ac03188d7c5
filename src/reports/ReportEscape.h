#pragma once
// The two ways a value goes into a report page, so that a page title or link from a crawled site
// cannot add markup or break out of an attribute. Ordinary values come out unchanged.

#include <string>
#include <string_view>

namespace sg {

// For element text: "<", ">", double and single quote become &lt; &gt; &quot; &#39;. "&" is
// kept so that the site's own entities still render.
std::string ReportText(std::string_view value);

// For an attribute value (an href, quoted or not): blanks, control bytes, 0x7F, both quotes,
// "<", ">" and the backquote become %XX. Everything else, "%" and bytes from 0x80 included, is
// kept.
std::string ReportAttr(std::string_view value);

// A crawled link as the href of a report's anchor: EnsureHttpPrefix's address through
// ReportAttr, with "http://" put in front unless it begins with "http://" or "https://" (any
// letter case) as written. The browser reads the scheme after decoding entities ("&#58;" is
// ":") and resolves a reference without one against the report's own file:// address, so
// nothing else may stand first: whatever a page's link holds, the written href can only lead to
// an http or https address.
std::string ReportLinkHref(std::string_view url);

}  // namespace sg
