#pragma once
// Base64 with the standard alphabet, "=" padding and no line breaks: the form a
// "Proxy-Authorization: Basic" line carries.

#include <string>
#include <string_view>

namespace sg {

std::string Base64Encode(std::string_view bytes);

}  // namespace sg
