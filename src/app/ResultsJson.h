#pragma once
// A run's results of one analysis as a JSON document ("format": 1), for scripts and pipelines.

#include <string>
#include <string_view>

#include "app/ResultsKind.h"
#include "model/RunResults.h"

namespace sg {

// The document with its "format", the project's name and the analysis's part of `results`,
// indented by two and ending in a line end. Text that is not valid UTF-8 has its bad bytes
// replaced (U+FFFD) rather than failing. Every control character in a string (C0, DEL, C1) is
// written as an escape ("\n", "\u001b", "\u009b"), so the text holds none and can go to a
// terminal.
std::string ResultsJson(const RunResults& results, ResultsKind kind, std::string_view project);

}  // namespace sg
