#pragma once
// Every report file is written one line at a time through here; no report file stays open
// between lines, so a run stopped at any point leaves whole lines behind.

#include <string_view>

namespace sg {

// Appends text and a line feed to the file at path, creating it if absent. A file that cannot
// be opened or written loses the line silently.
void AppendReportLine(std::string_view path, std::string_view text);

}  // namespace sg
