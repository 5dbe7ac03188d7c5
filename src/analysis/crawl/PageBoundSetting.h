#pragma once
// How many pages a crawl visits on one site at most (10,000 unless set), and how many links of
// one page it reads (10,000 unless set). Each kept in a file of its own beside the connections
// setting (one number).

#include <string>

namespace sg {

inline constexpr int kDefaultMaxPages = 10000;
inline constexpr int kMaxMaxPages = 10000000;

// The setting in force (any thread).
int MaxPagesPerSite();
// Kept within 1..kMaxMaxPages.
void SetMaxPagesPerSite(int pages);

// The number in the file (1..kMaxMaxPages); 0 when the file is missing or holds anything else.
int LoadPageBoundSetting(const std::string& path);
// Written atomically, its folder made when missing; true when written.
bool SavePageBoundSetting(const std::string& path, int pages);

// The stored setting (or the default) put in force, unless the command line chose one
// (OverrideMaxPagesPerSite), which stays for the life of the process.
void ApplyStoredPageBoundSetting(const std::string& path);
void OverrideMaxPagesPerSite(int pages);

inline constexpr int kMaxMaxLinks = 10000000;
// The links read of one page (ReadPageLinks' maxLinks), as the pages above.
int MaxLinksPerPage();
void SetMaxLinksPerPage(int links);
int LoadLinkBoundSetting(const std::string& path);
bool SaveLinkBoundSetting(const std::string& path, int links);
void ApplyStoredLinkBoundSetting(const std::string& path);
void OverrideMaxLinksPerPage(int links);

}  // namespace sg
