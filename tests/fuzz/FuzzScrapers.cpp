// The result page scrapers on any page, served by a loopback peer in place of every engine: the
// item walk and the matching of result addresses, the total, the last-page tests, the next-page
// addresses and the link-count texts. The first byte picks the engine, the second the depth;
// the rest is the page, in which "127.0.0.1:1" stands for the peer's address (the seeds' next-page
// addresses use it). Later pages are asked for only while their address stays on the peer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzPeer.h"
#include "engines/EngineCatalogue.h"
#include "engines/EngineHosts.h"
#include "engines/EngineSearch.h"
#include "engines/FormatCount.h"
#include "engines/LinkCountRules.h"
#include "engines/PositionRunStatus.h"
#include "engines/ResultMarkers.h"
#include "engines/SearchEngine.h"
#include "engines/SearchUrl.h"
#include "engines/SitePosition.h"
#include "engines/TotalRules.h"

namespace {

// A status window that shows nothing and answers No.
class SilentStatus : public sg::PositionRunStatus {
  public:
    void ResetStatus() override {}
    void SetKeyword(const std::string&) override {}
    void SetEngineLabel(const std::string&) override {}
    void ShowEngineLogo(int) override {}
    void SetFoundText(const std::string&) override {}
    void SetPosition(std::int32_t position) override { lastPosition = position; }
    void SetProgress(std::int64_t) override {}
    bool AskYesNo(const std::string&) override { return false; }
    void EnableSkipButton(bool) override {}
    void EnableCloseButton(bool) override {}
    void ScrollToFirstWarning() override {}
    void CloseWindow() override {}

    std::int32_t lastPosition = 0;

  protected:
    void AddLogLine(LogIcon, const std::string&, const std::string&) override {}
    void ShowSearchRange(std::int64_t, const std::string&) override {}
};

// True when a request to `address` goes to the peer: its host part is exactly the peer's.
bool OnPeer(std::string_view address, const std::string& peer) {
    if (address.substr(0, 7) == "http://") {
        address.remove_prefix(7);
    }
    if (address.substr(0, peer.size()) != peer) {
        return false;
    }
    return address.size() == peer.size() || address[peer.size()] == '/';
}

std::string WithPeerAddress(std::string_view page, const std::string& peer) {
    constexpr std::string_view kStandIn = "127.0.0.1:1";
    std::string out;
    out.reserve(page.size());
    std::size_t from = 0;
    for (std::size_t at = page.find(kStandIn); at != std::string_view::npos;
         at = page.find(kStandIn, from)) {
        out.append(page.substr(from, at - from));
        // "127.0.0.1:10" and the like are other ports, left as they are.
        const std::size_t end = at + kStandIn.size();
        const bool whole = end == page.size() || page[end] < '0' || page[end] > '9';
        out.append(whole ? std::string_view(peer) : kStandIn);
        from = end;
    }
    out.append(page.substr(from));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const sg::EngineId id = static_cast<sg::EngineId>(data[0] % sg::kEngineCount);
    const int depth = 1 + data[1] % 40;
    sg::fuzz::FuzzPeer& peer = sg::fuzz::FuzzPeer::Instance();
    const std::string peerHost = peer.Address();
    const std::string page = WithPeerAddress(
        std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2), peerHost);
    static const bool hostsSet = sg::OverrideAllEngineHosts(peerHost) == sg::kHostsOk;
    SG_FUZZ_CHECK(hostsSet);

    // The page rules on their own, for every engine.
    const sg::EngineHosts hosts = sg::CurrentEngineHosts();
    for (sg::EngineId each : sg::kAllEngines) {
        (void)sg::PageHasNextPage(each, page);
        const std::string next = sg::NextPageAddress(each, page, hosts);
        SG_FUZZ_CHECK(sg::HasNextPageAddress(each) || next.empty());
        // It goes into the next request line: no blank, no control byte.
        for (const char c : next) {
            SG_FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20);
        }
        const std::int64_t total = sg::EngineTotal(each, page);
        SG_FUZZ_CHECK(total >= 0);
        (void)sg::TotalRuleText(each, page);
        (void)sg::FormatCount(sg::LinkCountText(each, page));
    }

    // The page loop of one search, as SearchEngine runs it.
    peer.Serve(
        std::string("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n") + std::string(page),
        sg::fuzz::FuzzPeer::Mode::kAfterRequest);
    std::vector<sg::SitePosition> sites;
    sites.emplace_back("127.0.0.1");
    sites.emplace_back("example");
    sites.emplace_back("/");
    SilentStatus status;
    sg::EngineSearch search;
    int start = 0;
    int result = sg::ScanResultPage(id, "fuzz", sites, start, depth, search, status);
    bool leftThePeer = false;
    while (result == sg::kNextResultPage) {
        start += sg::PageStep(id);
        const std::string address =
            sg::SearchUrl(search.hosts, id, "fuzz", start, search.next, search.language);
        if (!OnPeer(address, peerHost)) {
            // Where the real search would go on elsewhere, this one stops asking.
            leftThePeer = true;
            break;
        }
        result = sg::ScanResultPage(id, "fuzz", sites, start, depth, search, status);
    }
    SG_FUZZ_CHECK(leftThePeer || (result >= 0 && result <= depth));
    SG_FUZZ_CHECK(start <= depth + sg::PageStep(id));
    for (const sg::SitePosition& site : sites) {
        SG_FUZZ_CHECK(site.position >= 0 && site.position <= depth);
        SG_FUZZ_CHECK((site.position == 0) == site.link.empty());
    }
    return 0;
}
