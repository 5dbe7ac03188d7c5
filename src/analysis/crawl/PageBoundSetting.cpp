#include "analysis/crawl/PageBoundSetting.h"

#include "html/PageLinks.h"
#include "model/NumberSetting.h"

namespace sg {
namespace {

NumberSetting setting(kDefaultMaxPages, kMaxMaxPages);
NumberSetting links(static_cast<int>(kDefaultLinksPerPage), kMaxMaxLinks);

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

int MaxLinksPerPage() {
    return links.Value();
}

void SetMaxLinksPerPage(int count) {
    links.Set(count);
}

int LoadLinkBoundSetting(const std::string& path) {
    return links.Load(path);
}

bool SaveLinkBoundSetting(const std::string& path, int count) {
    return NumberSetting::Save(path, count);
}

void ApplyStoredLinkBoundSetting(const std::string& path) {
    links.ApplyStored(path);
}

void OverrideMaxLinksPerPage(int count) {
    links.Override(count);
}

}  // namespace sg
