#pragma once

namespace sg {

// Which analysis a results file describes; each has its own JSON shape and CSV columns.
enum class ResultsKind { Readiness, Links, Popularity, Positions, Audit };

}  // namespace sg
