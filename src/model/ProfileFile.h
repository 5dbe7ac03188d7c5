#pragma once
// Profile files ("*.swp"): saving the project to one and loading it from one.

#include <string>

#include "model/ProfileSaveOps.h"
#include "model/Project.h"

namespace sg {

inline constexpr int kProfileOk = 0;
// The file could not be opened for reading, or the temporary file for a save not created.
inline constexpr int kProfileCannotOpen = 1;
// The file ended inside a field.
inline constexpr int kProfilePastEnd = 2;
// The file holds a field no profile can hold.
inline constexpr int kProfileBadFormat = 3;
// Writing, flushing or renaming the temporary file failed; the old file is untouched.
inline constexpr int kProfileWriteFailed = 4;

// Writes the project's profile to a temporary file beside `path`, flushes it to disk and renames
// it over `path`, so that a failed save leaves an existing file whole. An existing file's
// permissions are kept; a new file gets 0644. Creates no folders.
int SaveProfile(const Project& project, const std::string& path);
int SaveProfile(const Project& project, const std::string& path, ProfileSaveOps& ops);

// Reads the profile at `path` into `project`. On a format error the entries read before it stay
// in the project and `errorText` (when given) gets the message to show; it is emptied otherwise.
int LoadProfile(Project& project, const std::string& path, std::string* errorText);

}  // namespace sg
