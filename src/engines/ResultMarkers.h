#pragma once
// How an engine's result page is read: where each result item opens, where its address stands,
// whether the page is the last one, and the address of the following page. All markers are
// exact, case-sensitive substrings; a missing marker yields nothing, never an error.

#include <string>
#include <string_view>

#include "engines/EngineHosts.h"
#include "engines/EngineId.h"

namespace sg {

struct ResultMarkers {
    std::string_view item;          // opens one result item
    std::string_view addressStart;  // empty: the address starts right after the item marker
    std::string_view addressEnd;    // the address runs up to (not including) this
};

const ResultMarkers& EngineResultMarkers(EngineId id);

// AltaVista, AllTheWeb, HotBot and Yahoo tell from the page itself whether another one follows.
bool HasLastPageTest(EngineId id);
// The engine's last-page test on the unchanged page: true when the page has a next page. True
// for the engines without such a test.
bool PageHasNextPage(EngineId id, std::string_view page);

// MSN, Yahoo, Overture, Excite and AskJeeves read the following page's address from the page.
bool HasNextPageAddress(EngineId id);
// That address (MSN and Overture put "http://" + the search host in front, AskJeeves "http:");
// empty when a marker of the rule is missing, when the address holds a blank or a control byte
// (it would break the request line), and for the engines that do not read one.
std::string NextPageAddress(EngineId id, std::string_view page, const EngineHosts& hosts);
std::string NextPageAddress(EngineId id, std::string_view page);

}  // namespace sg
