#pragma once
// How every count is shown to the user.

#include <string>
#include <string_view>

namespace sg {

// The text trimmed of blanks, every "," and "." removed, and "," put between groups of three
// characters counted from the right: "1234567" -> "1,234,567", "1.234" -> "1,234".
std::string FormatCount(std::string_view text);

}  // namespace sg
