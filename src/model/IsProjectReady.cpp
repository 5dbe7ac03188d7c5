#include "model/IsProjectReady.h"

#include "model/ShortName.h"

namespace sg {

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
        } else if (url.find('.') == std::string::npos) {
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
