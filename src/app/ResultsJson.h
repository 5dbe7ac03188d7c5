#pragma once
// A run's results of one analysis as a JSON document ("format": 1), for scripts and pipelines.

#include <ostream>
#include <string>
#include <string_view>

#include "app/ResultsKind.h"
#include "model/RunResults.h"

namespace sg {

// The results of WriteResultsJson.
inline constexpr int kJsonWritten = 0;
// The stream failed (it was bad or failed before or while the document was written).
inline constexpr int kJsonNotWritten = 1;

// Writes the document with its "format", the project's name and the analysis's part of
// `results`, indented by two and ending in a line end, one record at a time: memory stays that
// of one record whatever the count. Text that is not valid UTF-8 has its bad bytes replaced
// (U+FFFD) rather than failing. Every control character in a string (C0, DEL, C1) is written as
// an escape ("\n", "\u001b", "\u009b"), so the text holds none and can go to a terminal.
int WriteResultsJson(std::ostream& out, const RunResults& results, ResultsKind kind,
                     std::string_view project);

// The same document as one string.
std::string ResultsJson(const RunResults& results, ResultsKind kind, std::string_view project);

}  // namespace sg
