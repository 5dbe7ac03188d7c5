#pragma once

#include <cstdint>
#include <string>

namespace sg {

// The user's language identifier (primary language in the low 10 bits, sub-language above),
// from LC_ALL, else LC_MESSAGES, else LANG. Unset, "C" and "POSIX" give 0x0409.
std::uint16_t UserDefaultLangId();

// The identifier for one locale name such as "fr_FR.UTF-8", "de_AT@euro" or "pt".
std::uint16_t LangIdFromLocale(const std::string& locale);

}  // namespace sg
