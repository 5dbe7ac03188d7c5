#include "engines/LinkCountRules.h"

#include "engines/TotalRules.h"

namespace sg {

std::string LinkCountText(EngineId id, std::string_view page) {
    switch (id) {
        case EngineId::Google:
            // Stricter than the total rule: only the lower-case word counts here.
            if (page.find("about ") == std::string_view::npos) {
                return {};
            }
            return TotalRuleText(id, page);
        case EngineId::AltaVista:
        case EngineId::AllTheWeb:
        case EngineId::MSN:
        case EngineId::HotBot:
        case EngineId::Euroseek:
            return TotalRuleText(id, page);
        case EngineId::Yahoo:
        case EngineId::Excite:
        case EngineId::AOL:
            return std::to_string(EngineTotal(id, page));
        case EngineId::Overture:
        case EngineId::AskJeeves:
            break;
    }
    return {};
}

}  // namespace sg
