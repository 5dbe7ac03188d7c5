#pragma once

#include <cstdint>
#include <string>

namespace sg {

// One row of the keyword table: a lower-cased word, how many times it was merged in (one per
// site that has it) and the sum of its numbers.
struct KeywordScore {
    std::string word;
    std::int32_t siteCount = 0;
    double sum = 0.0;
};

}  // namespace sg
