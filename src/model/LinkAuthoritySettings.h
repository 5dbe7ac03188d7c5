#pragma once
// Where Link Popularity finds today's link authority: the Common Crawl domain ranks file the
// user chose and the Open PageRank key and address. Kept in one settings file beside the proxy
// file, written owner-only (0600) since it holds the key; the key goes nowhere else.

#include <map>
#include <string>
#include <string_view>

namespace sg {

inline constexpr const char* kOprKeyEnv = "SITEGAUGE_OPR_KEY";
inline constexpr const char* kOprUrlEnv = "SITEGAUGE_OPR_URL";
inline constexpr const char* kDefaultOprUrl = "https://openpagerank.com/api/v1.0/getPageRank";

struct LinkAuthoritySettings {
    // The gzip-compressed domain ranks file as downloaded; empty: none chosen.
    std::string ranksFile;
    // Empty: none given.
    std::string oprKey;
    // The service's getPageRank address.
    std::string oprUrl = kDefaultOprUrl;
    // Domains to look up instead of a site's own (by the site's URL as the project stores it),
    // for sites whose address names no domain (the demo's loopback sites).
    std::map<std::string, std::string, std::less<>> domainOf;
};

// Results of LoadLinkAuthoritySettings.
inline constexpr int kAuthoritySettingsOk = 0;
inline constexpr int kAuthoritySettingsNoFile = 1;

// The file's "cc-ranks=PATH" and "opr-key=KEY" lines into `settings` (other lines ignored);
// kAuthoritySettingsNoFile (nothing changed) when it cannot be read.
int LoadLinkAuthoritySettings(const std::string& path, LinkAuthoritySettings& settings);
// The ranks file and key, written atomically with mode 0600, its folder made when missing;
// false when not written or when a value holds a line break (the old file stays).
bool SaveLinkAuthoritySettings(const std::string& path, const LinkAuthoritySettings& settings);
// The stored settings, then SITEGAUGE_OPR_KEY and SITEGAUGE_OPR_URL when set (not stored).
void ApplyStoredLinkAuthoritySettings(const std::string& path, LinkAuthoritySettings& settings);

}  // namespace sg
