#pragma once
// The extract step of the crawl: the links of an answer, read from its body after the fetch.

#include <cstddef>

#include "html/PageLinks.h"
#include "net/Answer.h"

namespace sg {

// A page's links as the crawl reads them (PageLinkLists).
using FoundLinks = PageLinkLists;

// The links of a page read whole (kOk) that a browser renders as HTML (Answer::HoldsLinks),
// resolved against the address its redirects ended on; none for any other answer (plain text,
// JSON and sitemaps show their tags as text). Linear in the body's size (ExtractPageLinks).
// At most `maxLinks` of them (ReadPageLinks).
FoundLinks ExtractAnswerLinks(const Answer& answer, std::size_t maxLinks = kDefaultLinksPerPage);

}  // namespace sg
