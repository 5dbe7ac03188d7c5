#include "demo/DemoSiteFiles.h"

#include <algorithm>

namespace sg {

const DemoFile* FindDemoFile(std::string_view path) {
    const std::span<const DemoFile> files = DemoSiteFiles();
    const auto found = std::lower_bound(
        files.begin(), files.end(), path,
        [](const DemoFile& file, std::string_view wanted) { return file.path < wanted; });
    return found != files.end() && found->path == path ? &*found : nullptr;
}

}  // namespace sg
