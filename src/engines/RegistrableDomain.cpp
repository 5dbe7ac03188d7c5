#include "engines/RegistrableDomain.h"

#include <libpsl.h>

#include <algorithm>

#include "html/TextUtil.h"

namespace sg {
namespace {

// The host part of a site address, lower case: no scheme, user, port, path, trailing dot.
std::string HostOf(std::string_view site) {
    site = TrimBlanksView(site);
    if (const std::size_t scheme = site.find("://"); scheme != std::string_view::npos) {
        site.remove_prefix(scheme + 3);
    }
    site = site.substr(0, site.find_first_of("/?#"));
    if (const std::size_t at = site.rfind('@'); at != std::string_view::npos) {
        site.remove_prefix(at + 1);
    }
    site = site.substr(0, site.find(':'));
    while (!site.empty() && site.back() == '.') {
        site.remove_suffix(1);
    }
    std::string host(site);
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    return host;
}

}  // namespace

PublicSuffixes::PublicSuffixes(const char* file) {
    list_ = psl_load_file(file);
    owned_ = list_ != nullptr;
    if (list_ == nullptr) {
        list_ = const_cast<psl_ctx_st*>(psl_builtin());
    }
}

PublicSuffixes::~PublicSuffixes() {
    if (owned_) {
        psl_free(list_);
    }
}

std::string PublicSuffixes::RegistrableDomain(std::string_view site) const {
    const std::string host = HostOf(site);
    // An address names no domain (the list would call "0.1" one of "127.0.0.1").
    const bool address = host.find_first_not_of("0123456789.") == std::string::npos;
    if (host.empty() || list_ == nullptr || address) {
        return host;
    }
    const char* domain = psl_registrable_domain(list_, host.c_str());
    return domain != nullptr ? std::string(domain) : host;
}

std::string ReversedDomain(std::string_view domain) {
    std::string reversed;
    reversed.reserve(domain.size());
    while (!domain.empty()) {
        const std::size_t dot = domain.rfind('.');
        const std::string_view label =
            dot == std::string_view::npos ? domain : domain.substr(dot + 1);
        if (!reversed.empty()) {
            reversed += '.';
        }
        reversed += label;
        domain = dot == std::string_view::npos ? std::string_view() : domain.substr(0, dot);
    }
    return reversed;
}

}  // namespace sg
