#include "analysis/crawl/PageBoundSetting.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <filesystem>

#include "html/TextUtil.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

std::atomic<int> maxPages{kDefaultMaxPages};
std::atomic<bool> overridden{false};

}  // namespace

int MaxPagesPerSite() {
    return maxPages.load();
}

void SetMaxPagesPerSite(int pages) {
    maxPages.store(std::clamp(pages, 1, kMaxMaxPages));
}

int LoadPageBoundSetting(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return 0;
    }
    const std::string_view number = TrimBlanksView(text);
    int value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || value < 1 ||
        value > kMaxMaxPages) {
        return 0;
    }
    return value;
}

bool SavePageBoundSetting(const std::string& path, int pages) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteFileAtomically(path, std::to_string(pages) + "\n");
}

void ApplyStoredPageBoundSetting(const std::string& path) {
    if (overridden.load()) {
        return;
    }
    const int stored = LoadPageBoundSetting(path);
    SetMaxPagesPerSite(stored > 0 ? stored : kDefaultMaxPages);
}

void OverrideMaxPagesPerSite(int pages) {
    overridden.store(true);
    SetMaxPagesPerSite(pages);
}

}  // namespace sg
