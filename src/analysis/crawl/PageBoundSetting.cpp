#include "analysis/crawl/PageBoundSetting.h"

#include "model/NumberSetting.h"

namespace sg {
namespace {

NumberSetting setting(kDefaultMaxPages, kMaxMaxPages);

}  // namespace

int MaxPagesPerSite() {
    return setting.Value();
}

void SetMaxPagesPerSite(int pages) {
    setting.Set(pages);
}

int LoadPageBoundSetting(const std::string& path) {
    return setting.Load(path);
}

bool SavePageBoundSetting(const std::string& path, int pages) {
    return NumberSetting::Save(path, pages);
}

void ApplyStoredPageBoundSetting(const std::string& path) {
    setting.ApplyStored(path);
}

void OverrideMaxPagesPerSite(int pages) {
    setting.Override(pages);
}

}  // namespace sg
