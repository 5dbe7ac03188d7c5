#pragma once
// The profile the user last saved or opened, so that the desktop program opens it again at its
// next start. Kept as one line, the profile's path, in its own file beside the proxy settings.

#include <string>

namespace sg {

// Writes `profilePath` as the remembered one (atomically, the folder made when missing); true
// when written. Not remembered is no reason to stop: the caller goes on either way.
bool RememberLastProfile(const std::string& settingFile, const std::string& profilePath);

// The remembered path, or empty when none is (a missing or empty file).
std::string RememberedLastProfile(const std::string& settingFile);

}  // namespace sg
