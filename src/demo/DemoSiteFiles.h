#pragma once
// The files of the two demo web sites, compiled into the program at build time from
// resources/demo-site, so that the demo works from the build tree and from an installed tree
// alike, without looking for files on disk.

#include <span>
#include <string_view>

namespace sg {

struct DemoFile {
    std::string_view path;  // inside resources/demo-site, e.g. "site-a/shop/index.html"
    std::string_view content;
};

// Every file, sorted by path.
std::span<const DemoFile> DemoSiteFiles();

// The file at `path`, or nullptr.
const DemoFile* FindDemoFile(std::string_view path);

}  // namespace sg
