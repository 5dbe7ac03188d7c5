#pragma once
// A host name in its two forms: internationalised names travel as ASCII ("xn--caf-dma.example")
// and are shown in Unicode ("café.example"); a metasearch instance answers the Unicode form
// while a user may type either. IDNA processing is libidn2's (UTS #46, non-transitional).

#include <string>
#include <string_view>

namespace sg {

// The address (UTF-8; "http://host:port/path", "host/path" or a bare host) with its host in
// ASCII form, lower-cased by IDNA mapping; an address whose host is plain ASCII, or that IDNA
// refuses, comes back unchanged.
std::string AsciiHostForm(std::string_view address);
// The same address with an ASCII ("xn--") host in Unicode form (UTF-8); any other address comes
// back unchanged.
std::string UnicodeHostForm(std::string_view address);
// True when the host of the address holds a non-ASCII byte or an "xn--" label.
bool HasInternationalHost(std::string_view address);

}  // namespace sg
