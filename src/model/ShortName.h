#pragma once

#include <string>
#include <string_view>

namespace sg {

// The file-name stem of a URL: "http://" and "www." removed, cut at the first ".", and every ":"
// and "/" removed. A text starting with "." gives the empty string.
std::string ShortName(std::string_view text);

}  // namespace sg
