#include "model/IsProjectReady.h"

#include "model/ShortName.h"
#include "platform/LoopbackHost.h"

namespace sg {

bool NamesAHost(std::string_view url) {
    // This machine's names need no dot ("localhost:8080"). The crawl connects over IPv4 only,
    // so an IPv6 address ("[::1]:8080") is none it could fetch.
    return url.find('.') != std::string_view::npos ||
           (IsLoopbackHost(url) && url.find('[') == std::string_view::npos);
}

int CheckProjectReady(const Project& project, int* urlIndex) {
    if (urlIndex != nullptr) {
        *urlIndex = -1;
    }
    if (project.HasNoUrls()) {
        return kProjectNoUrls;
    }
    for (int i = 0; i < project.UrlCount(); ++i) {
        const std::string& url = project.GetUrl(i)->GetUrl();
        int reason = kProjectReady;
        if (url.empty()) {
            reason = kProjectEmptyUrl;
        } else if (url == "http://") {
            reason = kProjectBareScheme;
        } else if (!NamesAHost(url)) {
            reason = kProjectUrlWithoutDot;
        }
        if (reason != kProjectReady) {
            if (urlIndex != nullptr) {
                *urlIndex = i;
            }
            return reason;
        }
    }
    return ShortName(project.GetName()).empty() ? kProjectNoShortName : kProjectReady;
}

}  // namespace sg
