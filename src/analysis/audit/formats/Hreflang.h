#pragma once
// hreflang codes as search engines read them: a language of ISO 639-1, optionally a script
// (four letters) and a region of ISO 3166-1 (two letters), joined by "-", in any case; or
// "x-default". The code tables come from Debian's iso-codes.

#include <string_view>

namespace sg {

bool IsValidHreflang(std::string_view code);

// A page's lang as browsers and engines read it (BCP 47's common forms): a language of ISO
// 639-1 or 639-2 (two or three letters), optionally a script and a region of ISO 3166-1 (two
// letters) or three digits ("es-419"), joined by "-", in any case. "x-default" is no language.
bool IsValidLanguageTag(std::string_view code);

}  // namespace sg
