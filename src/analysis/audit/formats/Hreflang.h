#pragma once
// hreflang codes as search engines read them: a language of ISO 639-1, optionally a script
// (four letters) and a region of ISO 3166-1 (two letters), joined by "-", in any case; or
// "x-default". The code tables come from Debian's iso-codes.

#include <string_view>

namespace sg {

bool IsValidHreflang(std::string_view code);

}  // namespace sg
