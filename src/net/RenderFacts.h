#pragma once
// What a browser made of a page it rendered, beside the Answer that carries the document after
// its scripts ran as the body. A fetched answer has none (Answer::rendered is empty); a rendered
// one keeps here what the server sent before any script ran, the requests the browser made for
// the page, the lab figures it measured and what went wrong in it.

#include <string>
#include <vector>

namespace sg {

// One request the browser made while it loaded the page (an image, a script, a fetch()).
struct RenderedRequest {
    // The address as the browser asked it, without its fragment.
    std::string url;
    // The protocol's resource type ("Image", "Script", "Stylesheet", "Fetch", "XHR", ...).
    std::string type;
    // The status of its answer; 0 when none came.
    int status = 0;
    // Why no answer came ("net::ERR_CONNECTION_REFUSED"); empty when one did.
    std::string failure;
};

struct RenderFacts {
    // The body as the server sent it, before any script ran (the Answer's body is the document
    // after them).
    std::string sourceBody;
    // The page's requests in the order the browser made them; the page itself is not among them.
    std::vector<RenderedRequest> requests;
    // Lab figures of the load: largest contentful paint and total blocking time in
    // milliseconds, cumulative layout shift unitless; negative when the browser gave none.
    double lcpMs = -1;
    double cls = -1;
    double tbtMs = -1;
    // Console errors and uncaught exceptions, in order, each cut to a bounded length.
    std::vector<std::string> consoleErrors;
    // What the renderer had to do about this page ("taken at 10 s, before the network was
    // quiet", "the tab crashed and the page was loaded again"), for the run's log and report.
    std::vector<std::string> notes;
};

}  // namespace sg
