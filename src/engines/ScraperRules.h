#pragma once
// Where the result page scrapers differ beyond the catalogue's data: the link Excite's pages
// are noted with, AskJeeves' items without an address start, and when a page asks for the next
// one.

#include <cstdint>
#include <string>
#include <string_view>

#include "engines/EngineId.h"

namespace sg {

// The link noted for a site found on the page requested from `address`: the address itself,
// except that Excite's next-page addresses carry no scheme and get "http://".
std::string ResultPageLink(EngineId id, std::string_view address);

// AskJeeves' items whose address-start marker is missing are still compared, from right after
// the item marker; every other engine makes no comparison for such an item.
bool KeepsItemWithoutAddressStart(EngineId id);

// After the last item of a page that started at `start` and yielded `count` items: whether the
// next page is requested. It needs a full page (the page step), and then, for Overture and
// AskJeeves, a next-page address; for the others, fewer results passed than the total, and for
// MSN, Yahoo and Excite also their next-page address, without which there is no page to ask
// for.
bool WantsNextPage(EngineId id, std::int64_t start, int count, std::int64_t total,
                   std::string_view nextAddress);

}  // namespace sg
