#include "model/EachSite.h"

#include <algorithm>
#include <string>

#include "model/ProgressSink.h"
#include "model/Project.h"
#include "platform/RunControl.h"

namespace sg {

bool ForEachSite(Project& project, std::string_view caption,
                 const std::function<bool(UrlEntry&)>& visit) {
    const int urlCount = project.UrlCount();
    // Called outside a run (no analysis counted), the writer takes the whole bar.
    const int selected = std::max(project.selectedCount, 1);
    for (int i = 0; i < urlCount; ++i) {
        if (RunCancelled()) {
            return false;
        }
        UrlEntry* entry = project.GetUrl(i);
        if (entry == nullptr) {
            continue;
        }
        SetProgressCaption(std::string(caption) + entry->GetUrl());
        SetProgressPos(GetProgressPos() + (100 / selected) / urlCount);
        if (!visit(*entry)) {
            return false;
        }
    }
    return !RunCancelled();
}

}  // namespace sg
