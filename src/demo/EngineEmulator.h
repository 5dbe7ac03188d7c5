#pragma once
// A stand-in for all eleven search engines on one loopback port, for the tests and the demo.
// It answers every keyword-search and "link:" address of the engine catalogue with a page in
// that engine's own marker format (result items, the total, next-page links and "Next" marks,
// the link count texts), built from what the caller configured; anything it was not told about
// gets a page without any marker. The engines' real hosts are never contacted: point the
// catalogue at the emulator with PointEngineHostsHere().
//
//   sg::EngineEmulator emulator;
//   emulator.Start();
//   emulator.PointEngineHostsHere();
//   emulator.SetResults(sg::EngineId::Google, "blue shoes", {"http://a.com/", "http://b.com/"});
//   emulator.SetLinkCount(sg::EngineId::MSN, "www.a.com", "1,234");
//
// Configuration may change while the server runs; every call is thread-safe.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "demo/LoopbackHttpServer.h"
#include "demo/MetasearchEmulator.h"
#include "demo/OpenPageRankEmulator.h"
#include "engines/EngineId.h"

namespace sg {

enum class EmulatorQuery {
    Unknown,        // an address of no engine
    KeywordSearch,  // a result page of a keyword search
    LinkCount,      // a "link:" count query
};

// When a result page carries its engine's next-page mark (AltaVista's, AllTheWeb's and Yahoo's
// "Next", HotBot's link after "Previous") and next-page address (MSN, Yahoo, Overture, Excite,
// AskJeeves).
enum class NextMark {
    WhenMoreResults,  // when results follow the ones on this page
    Always,           // on every page, even past the last result
    Never,            // on no page
};

// One request the emulator answered.
struct EmulatorRequest {
    int engine = -1;  // EngineId index; -1 when the address matched no engine
    EmulatorQuery query = EmulatorQuery::Unknown;
    std::string target;                // the request target as sent (path and query)
    std::string term;                  // the encoded keyword, or the site of a "link:" query
    int start = 0;                     // the first result position - 1 of a result page
    std::vector<std::string> headers;  // the header lines, without CR LF
};

class EngineEmulator {
  public:
    EngineEmulator();
    // Stops the server; undoes PointEngineHostsHere.
    ~EngineEmulator();
    EngineEmulator(const EngineEmulator&) = delete;
    EngineEmulator& operator=(const EngineEmulator&) = delete;

    // --- Server ----------------------------------------------------------------------------
    // Listens on 127.0.0.1 and a free port. False when the socket could not be set up.
    bool Start();
    // Closes the port and ends the server thread (within about 100 ms).
    void Stop();
    // 0 before Start.
    int Port() const { return server_.Port(); }
    // "127.0.0.1:" + Port().
    std::string Host() const;
    // The SITEGAUGE_ENGINE_HOSTS value that points every engine (the second hosts too) here,
    // for programs started from this one.
    std::string EngineHostsValue() const;
    // Overrides every engine host (the second hosts too) with Host(), process-wide, through
    // OverrideAllEngineHosts; the destructor clears the overrides again.
    void PointEngineHostsHere();

    // --- A metasearch instance ---------------------------------------------------------------
    // The emulator answers as a metasearch instance too, under kMetasearchPath of its port:
    // "http://" + Host() + kMetasearchPath, for the metasearch setting.
    static constexpr std::string_view kMetasearchPath = "/metasearch";
    std::string MetasearchAddress() const;
    MetasearchEmulator& Metasearch() { return metasearch_; }
    // The Open PageRank stand-in under kOprPath, and its getPageRank address.
    OpenPageRankEmulator& OpenPageRank() { return openPageRank_; }
    std::string OpenPageRankAddress() const;

    // --- Keyword searches --------------------------------------------------------------------
    // The result addresses of `keyword` (the keyword as typed, before encoding) on the engine,
    // in rank order. Result page S shows the addresses S .. S + page step - 1. The total that
    // the first page states is the number of addresses unless SetTotal says otherwise.
    // Excite, AskJeeves and AOL write their addresses after "http://", so an address's own
    // "http://" is dropped there; the other engines write each address as given.
    void SetResults(EngineId id, std::string_view keyword, std::vector<std::string> addresses);
    void SetTotal(EngineId id, std::string_view keyword, std::int64_t total);
    void SetNextMark(EngineId id, std::string_view keyword, NextMark mark);
    // Serves `body` as it stands for the result page of `keyword` that starts at `start`.
    void SetPage(EngineId id, std::string_view keyword, int start, std::string body);

    // --- "link:" counts ----------------------------------------------------------------------
    // The count text (as the engine writes it, e.g. "1,234" or "1.234") that the engine's
    // answer for `site` (the site text as it stands in the request) carries where the engine's
    // count rule looks. AOL counts pages of ten: its page says "Page 1 of " + text, which the
    // program reads as ten times the number. Overture and AskJeeves are never asked.
    void SetLinkCount(EngineId id, std::string_view site, std::string countText);
    // AltaVista's answer that it found nothing for `site`.
    void SetLinkNothingFound(std::string_view site);
    // Serves `body` as it stands for the engine's "link:" query of `site`.
    void SetLinkPage(EngineId id, std::string_view site, std::string body);

    // --- Failures ----------------------------------------------------------------------------
    // Every request to the engine is answered with an image instead of a page, which the HTTP
    // client takes as a failed request.
    void SetFailing(EngineId id, bool failing);

    // --- What was asked -----------------------------------------------------------------------
    std::vector<EmulatorRequest> Requests() const;
    int RequestCount(EngineId id, EmulatorQuery query) const;
    void ClearRequests();

    // --- The pages themselves, without the server -------------------------------------------
    // `host` stands in the next-page addresses (the emulator uses the request's Host line).
    std::string ResultPage(EngineId id, std::string_view encodedKeyword, int start,
                           std::string_view host) const;
    std::string LinkCountPage(EngineId id, std::string_view site) const;
    // The page served for addresses the emulator was not told about: no marker of any engine.
    static std::string PageWithoutMarkers();

  private:
    struct KeywordSetup {
        std::vector<std::string> addresses;
        std::optional<std::int64_t> total;
        NextMark next = NextMark::WhenMoreResults;
        std::map<int, std::string> pages;
    };
    struct LinkSetup {
        std::optional<std::string> countText;
        bool nothingFound = false;
        std::optional<std::string> page;
    };
    using KeywordKey = std::pair<int, std::string>;  // engine, encoded keyword

    // The response for one request head: its target, header lines and Host.
    std::string Respond(std::string_view head);
    // The response for one request target; records the request.
    std::string Answer(const std::string& target, const std::vector<std::string>& headers,
                       const std::string& host);
    std::string ResultPageLocked(EngineId id, const std::string& encodedKeyword, int start,
                                 std::string_view host) const;
    std::string LinkCountPageLocked(EngineId id, const std::string& site) const;

    mutable std::mutex mutex_;
    std::map<KeywordKey, KeywordSetup> keywords_;
    std::map<KeywordKey, LinkSetup> links_;
    bool failing_[kEngineCount] = {};
    std::vector<EmulatorRequest> requests_;

    bool pointedHosts_ = false;
    MetasearchEmulator metasearch_;
    OpenPageRankEmulator openPageRank_;
    LoopbackHttpServer server_;
};

}  // namespace sg
