#pragma once
// Every report file is written one line at a time through here; no report file stays open
// between lines, so a run stopped at any point leaves whole lines behind.

#include <initializer_list>
#include <string>
#include <string_view>

namespace sg {

// Appends text and a line feed to the file at path, creating it if absent. A file that cannot
// be opened or written loses the line silently.
void AppendReportLine(std::string_view path, std::string_view text);

// The writers' form: false (and nothing written) once the run is cancelled, so a cancelled
// writer stops where it is instead of walking the rest of its work for nothing.
bool AppendLineOrStop(const std::string& path, std::string_view text);
// Each line in order; false at the first one refused.
bool AppendLinesOrStop(const std::string& path, std::initializer_list<std::string_view> lines);

}  // namespace sg
