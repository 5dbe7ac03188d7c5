#pragma once

#include <cstdint>
#include <string>

#include "engines/EngineHosts.h"

namespace sg {

// What the page loop of one engine search keeps from one result page to the next. Made fresh
// for every engine and keyword; nothing of it outlives the search.
struct EngineSearch {
    // Taken once when the search starts, so that every page of it goes to the same hosts and
    // asks in the same language.
    EngineHosts hosts = CurrentEngineHosts();
    std::string language;
    // The engine's result count for the keyword, read from the first page; reset whenever a
    // first page is requested.
    std::int64_t total = 0;
    // The next-page address of the engines that read it from the page: empty at the start,
    // written only when a next page is going to be requested.
    std::string next;
    // The results read so far, and whether a skip or stop request has been confirmed in them.
    std::int64_t reached = 0;
    bool requestConfirmed = false;
};

}  // namespace sg
