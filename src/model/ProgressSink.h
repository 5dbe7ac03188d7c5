#pragma once
// The one small interface through which a worker run reports to whoever shows it: the GUI's
// progress window (marshalled to the window thread), the CLI's terminal bar, or a test recorder.

#include <string>

namespace sg {

// What a run counts as it goes, so a long share of the bar visibly advances.
enum class ProgressCount { PageFetched, LinkChecked };

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual int Position() const = 0;
    virtual void SetPosition(int position) = 0;
    // A line for a log view, where the front end has one.
    virtual void LogLine(const std::string& /*text*/) {}
    // One more of `what`, where the front end shows the counts.
    virtual void Count(ProgressCount /*what*/) {}
    // How far the current site's share of the bar is: `done` of the `known` steps of work found
    // so far (a crawl: its pages visited and links judged, of the pages and links it found;
    // known grows as it finds more). Until the first call after a SetPosition, the share has no
    // known fraction.
    virtual void SiteWork(int /*done*/, int /*known*/) {}
    // One request of the run has ended (all its attempts): `proxyUnreachable` when it failed
    // because the proxy could not be connected to, so the site was never asked. Any thread.
    virtual void RequestEnded(bool /*proxyUnreachable*/) {}
};

// The designed progress operations: they act on App().progressWindow and do nothing (the
// position reads 0) when no run shows progress.
void SetProgressCaption(const std::string& text);
int GetProgressPos();
void SetProgressPos(int position);
// A line for the run's log (a TLS failure, say), where the front end shows one.
void LogProgressLine(const std::string& text);
// One more page fetched or link checked, for the counts beside the percentage.
void CountProgress(ProgressCount what);
// The current site's work done of the work known, for the bar within the site's share.
void ReportSiteWork(int visited, int known);
// A request of the run has ended; see ProgressSink::RequestEnded.
void ReportRequestEnded(bool proxyUnreachable);

}  // namespace sg
