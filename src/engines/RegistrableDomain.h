#pragma once
// The registrable domain of a site (the part a registrant owns: "example.co.uk" for
// "www.shop.example.co.uk/x"), from the public suffix list of Debian's publicsuffix package
// read by libpsl. One list per object, loaded once.

#include <string>
#include <string_view>

struct psl_ctx_st;

namespace sg {

inline constexpr const char* kPublicSuffixFile = "/usr/share/publicsuffix/public_suffix_list.dafsa";

class PublicSuffixes {
  public:
    // Loads `file` (DAFSA or plain list); when it cannot be read, the list libpsl was built with.
    explicit PublicSuffixes(const char* file = kPublicSuffixFile);
    ~PublicSuffixes();
    PublicSuffixes(const PublicSuffixes&) = delete;
    PublicSuffixes& operator=(const PublicSuffixes&) = delete;

    // The registrable domain of a site address (with or without a scheme, port, path), in lower
    // case; the host itself when it has none (an address, "localhost", a bare suffix); empty for
    // no host.
    std::string RegistrableDomain(std::string_view site) const;

  private:
    psl_ctx_st* list_ = nullptr;
    bool owned_ = false;
};

// "example.co.uk" as the ranks file writes it: "uk.co.example".
std::string ReversedDomain(std::string_view domain);

}  // namespace sg
