#include "engines/ScraperRules.h"

#include "engines/EngineCatalogue.h"
#include "engines/ResultMarkers.h"
#include "engines/TotalRules.h"

namespace sg {

std::string ResultPageLink(EngineId id, std::string_view address) {
    if (id == EngineId::Excite && !address.starts_with("http://")) {
        return "http://" + std::string(address);
    }
    return std::string(address);
}

bool KeepsItemWithoutAddressStart(EngineId id) {
    return id == EngineId::AskJeeves;
}

bool WantsNextPage(EngineId id, std::int64_t start, int count, std::int64_t total,
                   std::string_view nextAddress) {
    if (count < PageStep(id)) {
        return false;
    }
    if (HasFixedTotal(id)) {
        return !nextAddress.empty();
    }
    if (HasNextPageAddress(id) && nextAddress.empty()) {
        return false;
    }
    return start + count < total;
}

}  // namespace sg
