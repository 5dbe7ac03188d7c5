#include "reports/LinkPopularityHook.h"

#include <atomic>

namespace sg {
namespace {
std::atomic<LinkPopularitySectionWriter> registered{nullptr};
}  // namespace

void SetLinkPopularitySection(LinkPopularitySectionWriter writer) {
    registered.store(writer);
}

LinkPopularitySectionWriter GetLinkPopularitySection() {
    return registered.load();
}

}  // namespace sg
