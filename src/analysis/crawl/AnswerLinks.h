#pragma once
// The extract step of the crawl: the links of an answer, read from its body after the fetch.

#include <string>
#include <vector>

#include "html/PageLinks.h"
#include "net/Answer.h"

namespace sg {

// A page's distinct links in the text form of Url (fragment kept), in the order found.
struct FoundLinks {
    // Pages: frame sources (always visited) and links (visited on the site).
    std::vector<std::string> frames;
    std::vector<std::string> links;
    // Images, style sheets, scripts and the like (judged, never visited).
    std::vector<std::string> resources;
    // What no visitor can load from the web (file: addresses, disk paths), as written.
    std::vector<LocalReference> local;

    bool Empty() const {
        return frames.empty() && links.empty() && resources.empty() && local.empty();
    }
};

// The links of a page read whole (kOk) that a browser renders as HTML (Answer::HoldsLinks),
// resolved against the address its redirects ended on; none for any other answer (plain text,
// JSON and sitemaps show their tags as text). Linear in the body's size (ExtractPageLinks).
FoundLinks ExtractAnswerLinks(const Answer& answer);

}  // namespace sg
