#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engines/PositionRunStatus.h"
#include "engines/SitePosition.h"

namespace sg {

// Compares one result address with the sites in order: a site not found yet whose text occurs
// in the address (exact, case-sensitive; an internationalised host in either its ASCII or its
// Unicode form on either side) takes this position and page link, and the log gets
// "<engine> found <site> on position <n>". One result can match several sites; a site keeps
// its first position. True when every site has a position.
bool MatchResult(std::string_view resultAddress, std::vector<SitePosition>& sites,
                 std::int32_t position, std::string_view pageLink, std::string_view engineName,
                 PositionRunStatus& status);

}  // namespace sg
