#pragma once
// The readiness writers' way of appending a report line: the line is written unless the run was
// cancelled, and the answer tells the writer whether to go on, so that a cancelled run stops
// where it is instead of walking the rest of its page for nothing.

#include <initializer_list>
#include <string>
#include <string_view>

namespace sg {

// False (and nothing written) once the run is cancelled.
bool AppendLineOrStop(const std::string& path, std::string_view text);

// Each line in order; false at the first one refused.
bool AppendLinesOrStop(const std::string& path, std::initializer_list<std::string_view> lines);

}  // namespace sg
