#include "model/ProgressSink.h"

#include "model/AppState.h"

namespace sg {

void SetProgressCaption(const std::string& text) {
    if (ProgressSink* sink = App().progressWindow) {
        sink->SetCaption(text);
    }
}

int GetProgressPos() {
    ProgressSink* sink = App().progressWindow;
    return sink != nullptr ? sink->Position() : 0;
}

void SetProgressPos(int position) {
    if (ProgressSink* sink = App().progressWindow) {
        sink->SetPosition(position);
    }
}

void LogProgressLine(const std::string& text) {
    if (ProgressSink* sink = App().progressWindow) {
        sink->LogLine(text);
    }
}

void CountProgress(ProgressCount what) {
    if (ProgressSink* sink = App().progressWindow) {
        sink->Count(what);
    }
}

void ReportSiteWork(int done, int known) {
    if (ProgressSink* sink = App().progressWindow) {
        sink->SiteWork(done, known);
    }
}

void ReportRequestEnded(bool proxyUnreachable) {
    if (ProgressSink* sink = App().progressWindow) {
        sink->RequestEnded(proxyUnreachable);
    }
}

}  // namespace sg
