#pragma once
// The address of the self-hosted metasearch instance whose engines the Position Analyzer may ask
// as live engines: "http://" or "https://", a host, an optional port and an optional path. Kept
// in its own file beside the proxy settings (one line), so that the proxy file keeps its form.
// Empty means no instance: the designed engines alone, as without the setting.

#include <string>
#include <string_view>

namespace sg {

// The results of ParseMetasearchAddress and LoadMetasearchSetting.
inline constexpr int kMetasearchAddressOk = 0;
inline constexpr int kMetasearchBadAddress = 1;
inline constexpr int kMetasearchNoFile = 2;

// 0 and the address in its kept form (scheme in lower case, no trailing slash, no query or
// fragment) in `normalized`; empty text (after trimming blanks) is 0 with an empty result. 1 for
// another scheme, no host, a port outside 1..65535, or a blank, query or fragment in it.
int ParseMetasearchAddress(std::string_view text, std::string& normalized);

// The address in force (any thread); empty for none.
std::string MetasearchInstance();
// Puts an address already in its kept form in force.
void SetMetasearchInstance(const std::string& address);

// 0 and the address in the file (possibly empty); 2 when the file is missing, 1 when it holds
// no valid address (`address` is then empty).
int LoadMetasearchSetting(const std::string& path, std::string& address);
// Written atomically, its folder made when missing; true when written.
bool SaveMetasearchSetting(const std::string& path, const std::string& address);

// The stored address (or none) put in force, unless the command line chose one: that choice
// (OverrideMetasearchInstance) stays for the life of the process.
void ApplyStoredMetasearchSetting(const std::string& path);
void OverrideMetasearchInstance(const std::string& address);

}  // namespace sg
