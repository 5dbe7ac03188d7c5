// The readiness analysis of one whole page, fetched from a loopback peer through the real HTTP
// read path: the structure checks, the meta tags, the title, alt texts, visible text and
// keyword densities, written to a report file. The input is the page (the peer puts a text/html
// head in front); the report must stay within a bound of the page's size.

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "FuzzPeer.h"
#include "analysis/readiness/ReadinessAnalyzer.h"
#include "model/UrlEntry.h"
#include "net/WebFetcher.h"
#include "platform/FileSystem.h"

namespace {

const std::string& ReportPath() {
    static const std::string path =
        "/tmp/sitegauge-fuzz-readiness-" + std::to_string(::getpid()) + ".html";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    sg::fuzz::FuzzPeer& peer = sg::fuzz::FuzzPeer::Instance();
    peer.Serve("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + std::string(page),
               sg::fuzz::FuzzPeer::Mode::kAfterRequest);
    SG_FUZZ_CHECK(sg::WriteWholeFile(ReportPath(), ""));

    sg::UrlEntry entry("http://" + peer.Address() + "/page.html", "page");
    static sg::WebFetcher fetcher;
    sg::AnalyzePageReadiness(fetcher, ReportPath(), "http://" + peer.Address() + "/page.html#part",
                             &entry);

    struct stat written {};
    SG_FUZZ_CHECK(::stat(ReportPath().c_str(), &written) == 0);
    // Fixed texts and boxes, plus per piece of the page a bounded number of bytes (a phrase line
    // per keyword).
    SG_FUZZ_CHECK(static_cast<std::size_t>(written.st_size) <= 64 * 1024 + 256 * size);
    return 0;
}
