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
// At most `maxLinks` of them (ReadPageLinks). For a rendered answer the body is the document
// after its scripts, and the http and https addresses the browser asked for as a resource
// (IsRenderedResource) join the resources after those of the document, each once, within the
// same bound; their fetch() and XHR calls do not.
FoundLinks ExtractAnswerLinks(const Answer& answer, std::size_t maxLinks = kDefaultLinksPerPage);

// The links of a rendered answer's page as the server sent it, before any script ran, read as
// ExtractAnswerLinks reads a body; none for an answer that was not rendered.
FoundLinks ExtractSourceLinks(const Answer& answer, std::size_t maxLinks = kDefaultLinksPerPage);

// Whether a request of the browser's type ("Image", "Script", "Stylesheet", "Font", "Media")
// loads a resource of the page, as an <img> or a <script src> does. Calls for data ("Fetch",
// "XHR"), documents, beacons and sockets do not: asked again on their own they may answer
// anything, or change something.
bool IsRenderedResource(std::string_view type);

}  // namespace sg
