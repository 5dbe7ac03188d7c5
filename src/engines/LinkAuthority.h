#pragma once
// Today's link authority of a project's sites: their registrable domains looked up in the
// Common Crawl ranks file (through its index) and on Open PageRank.

#include <span>
#include <string>
#include <vector>

#include "model/LinkAuthoritySettings.h"
#include "model/RunResults.h"

namespace sg {

struct AuthorityLookup {
    // The figures and, where one is missing, why ("Common Crawl: not ranked; Open PageRank: key
    // refused (HTTP 401)").
    SiteAuthority data;
    // The cells' words where a source gave no figure ("not ranked", "no ranks file chosen",
    // "key refused (HTTP 401)"); empty where it gave one.
    std::string ccWhy;
    std::string oprWhy;
};

// One lookup per site, in order. The ranks file's index lives in `indexFolder`; the first
// lookup after the file changed scans it (a progress line says how many domains it indexed).
// A failed source fails only its own cells.
std::vector<AuthorityLookup> LookUpLinkAuthority(const LinkAuthoritySettings& settings,
                                                 const std::string& indexFolder,
                                                 std::span<const std::string> sites);

}  // namespace sg
