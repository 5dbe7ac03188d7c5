#pragma once
// Text from outside (a server, a page, a profile) on its way to the terminal.

#include <string>
#include <string_view>

namespace sg {

// Windows-1252 text as UTF-8 with every control character replaced by "?": the C0 controls but
// tab, DEL, and the C1 controls (which the undefined Windows-1252 bytes become), so that no
// escape sequence from outside reaches the terminal.
std::string TerminalText(std::string_view ansi);

// The same for text that is UTF-8 already (results, a JSON answer): its control characters but
// tab as "?", every other byte kept.
std::string TerminalUtf8Text(std::string_view utf8);

}  // namespace sg
