#pragma once
// The ways a value goes into a report page, so that a page title or link from a crawled site
// cannot add markup or break out of an attribute. A value without "&" and without the bytes each
// function names comes out unchanged.

#include <string>
#include <string_view>

namespace sg {

// For element text of a plain value (an address, a name, a count, a decoded title): "&", "<",
// ">", double and single quote become &amp; &lt; &gt; &quot; &#39;, so that the browser shows
// the value exactly as it is ("/&lt;img" shows as "/&lt;img", not "/<img").
std::string ReportText(std::string_view value);

// For element text that is already HTML as a page wrote it (its raw title, meta description,
// meta keywords, text): as ReportText, but "&" is kept so that the page's own entities ("&amp;",
// "&eacute;") render as they do on the page. An entity only ever makes a character, never
// markup.
std::string ReportPageText(std::string_view fragment);

// For an attribute value (an href, quoted or not): blanks, control bytes, 0x7F, both quotes,
// "<", ">" and the backquote become %XX, and "&" becomes "&amp;", which the browser reads back
// as "&": the attribute holds exactly the value. Everything else, "%" and bytes from 0x80
// included, is kept.
std::string ReportAttr(std::string_view value);

// A crawled link as the href of a report's anchor: EnsureHttpPrefix's address through
// ReportAttr, with "http://" put in front unless it begins with "http://" or "https://" (any
// letter case) as written. A reference without a scheme would resolve against the report's own
// file:// address, so nothing else may stand first: whatever a page's link holds, the written
// href can only lead to an http or https address, and that address is the link's own.
std::string ReportLinkHref(std::string_view url);

}  // namespace sg
