#pragma once
// The language code that search-engine requests send as "Accept-Language:".

#include <cstdint>
#include <string>
#include <string_view>

namespace sg {

// The two-letter language code of a language identifier (primary language in the low 10 bits,
// sub-language above); empty for every identifier the table does not list.
std::string_view LanguageCodeForId(std::uint16_t id);

// The code for the user's default language, or empty text (then no Accept-Language line is
// sent).
std::string RequestLanguageCode();

}  // namespace sg
