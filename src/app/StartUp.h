#pragma once

#include <string>

namespace sg {

// Records the working folder (the current directory when `workDir` is empty), creates the folder
// tree, writes the two report images and the missing tutorial pages, and reads the proxy file.
// Creation and write failures are silent: start-up always completes.
void StartUp(const std::string& workDir = std::string());

}  // namespace sg
