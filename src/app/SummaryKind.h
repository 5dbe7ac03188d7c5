#pragma once

namespace sg {

// Which summary page ends a run. The values are the ones the run dispatch computes; 0 means no
// analysis produced a page (a run with nothing selected), and writes none.
enum class SummaryKind : int {
    None = 0,
    LinkPopularity = 1,
    BrokenLinks = 2,
    NestedReadiness = 3,
    Readiness = 4,
};

}  // namespace sg
