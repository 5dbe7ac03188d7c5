#pragma once
// What identifies an engine to the user (its names) and how its result pages are paged.

#include <string_view>

#include "engines/EngineId.h"

namespace sg {

struct EngineNameSet {
    std::string_view engine;        // the engine itself, as this code names it
    std::string_view listLabel;     // the engine list of the site position dialog
    std::string_view reportHeader;  // the column header of the position report
    std::string_view statusLabel;   // the status window's engine field
    std::string_view logName;       // the engine word of the status window's log lines
};

const EngineNameSet& EngineNames(EngineId id);

// How far the start position advances from one result page to the next; also the number of
// items a page must yield before the next one is asked for.
int PageStep(EngineId id);

// Whether the engine answers a "link:" count query (all but Overture and AskJeeves).
bool HasLinkCount(EngineId id);

}  // namespace sg
