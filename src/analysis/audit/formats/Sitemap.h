#pragma once
// A sitemap as search engines read it: an XML <urlset> of page addresses or a <sitemapindex> of
// further sitemaps, plain or gzip-compressed, within the protocol's bounds (50,000 addresses,
// 50 MB uncompressed). Read with libxml2's streaming reader: no network, no external entities,
// memory bounded by the input and the addresses kept.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

// The protocol's bounds; tests set smaller ones.
struct SitemapLimits {
    std::size_t addresses = 50000;
    std::size_t bytes = 52428800;
};

struct SitemapContent {
    enum class Kind { Invalid, UrlSet, Index };
    Kind kind = Kind::Invalid;
    // The <loc> texts of <url> (or <sitemap>) entries, in the root element's namespace (an
    // extension's <image:loc> names no page), trimmed, in document order; those read before a
    // fault was found are kept.
    std::vector<std::string> addresses;
    // Why the sitemap is invalid; empty when it is not.
    std::string problem;
};

// Reads the bytes of one sitemap file (gunzipped first when they begin with gzip's magic
// bytes). Invalid: gzip data that does not inflate, more than the limit's bytes once inflated,
// anything that is not well-formed XML, a root element other than urlset and sitemapindex, or
// more entries than the limit's addresses. Linear in the size of the data.
SitemapContent ReadSitemap(std::string_view data, const SitemapLimits& limits = {});

// A size bound as the problems name it: 52428800 as "50 MB", others in bytes ("2,000 bytes").
std::string SitemapSizeText(std::size_t bytes);

}  // namespace sg
