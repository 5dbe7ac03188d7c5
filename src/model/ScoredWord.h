#pragma once

#include <string>
#include <utility>

namespace sg {

// One scored word of a site's page. The word is fixed once added, so an entry's lookup index
// can rely on it; the number may be updated in place.
struct ScoredWord {
    ScoredWord(std::string w, double n) : word(std::move(w)), number(n) {}

    const std::string word;
    double number;
};

}  // namespace sg
