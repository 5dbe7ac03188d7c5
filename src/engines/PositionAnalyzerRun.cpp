#include "engines/PositionAnalyzerRun.h"

#include <array>
#include <vector>

#include "engines/EngineCatalogue.h"
#include "engines/LiveSearch.h"
#include "engines/PositionHistory.h"
#include "engines/PositionHistoryPage.h"
#include "engines/PositionReport.h"
#include "engines/SearchEngine.h"
#include "html/PageCharset.h"
#include "html/UrlText.h"
#include "model/AppState.h"
#include "model/PositionHistoryFiles.h"
#include "model/ReportStamp.h"
#include "model/RunResults.h"
#include "net/MetasearchSetting.h"
#include "platform/Connectivity.h"
#include "platform/LocalDateText.h"
#include "platform/OpenDocument.h"

namespace sg {
namespace {

// One engine's results for every site of the keyword just searched, in the report's row order.
void KeepEnginePositions(RunResults& results, const std::string& keyword,
                         const std::vector<std::string>& sites, const std::string& engine,
                         const std::vector<SitePosition>& list) {
    for (std::size_t s = 0; s < sites.size(); ++s) {
        PositionResult& result = results.positions.emplace_back();
        result.keyword = Utf8Text(keyword, PageCharset::Utf8);
        result.site = Utf8Text(sites[s], PageCharset::Utf8);
        result.engine = engine;
        if (s < list.size() && list[s].position > 0) {
            result.position = list[s].position;
        } else if (s < list.size()) {
            result.error = list[s].error;
        }
    }
}

// One result per checked engine and site of the keyword just searched, in the report's column
// and row order, when the run collects results: the designed engines, then the live ones.
void KeepPositions(PositionRunInput& dialog, const std::string& keyword,
                   const std::vector<std::string>& sites,
                   const std::array<std::vector<SitePosition>, kEngineCount>& lists,
                   const std::vector<std::string>& liveEngines,
                   const std::vector<std::vector<SitePosition>>& liveLists) {
    RunResults* results = App().results;
    if (results == nullptr) {
        return;
    }
    for (EngineId id : kAllEngines) {
        if (dialog.EngineChecked(id)) {
            KeepEnginePositions(*results, keyword, sites, std::string(EngineNames(id).logName),
                                lists[EngineIndex(id)]);
        }
    }
    for (std::size_t e = 0; e < liveEngines.size(); ++e) {
        KeepEnginePositions(*results, keyword, sites, liveEngines[e], liveLists[e]);
    }
}

std::vector<std::vector<SitePosition>> FreshLists(std::size_t count,
                                                  const std::vector<std::string>& sites) {
    std::vector<std::vector<SitePosition>> lists(count);
    for (std::vector<SitePosition>& list : lists) {
        list.reserve(sites.size());
        for (const std::string& site : sites) {
            list.emplace_back(site);
        }
    }
    return lists;
}

}  // namespace

PositionAnalyzerRun::PositionAnalyzerRun(PositionRunInput& dialog, PositionRunStatus& status)
    : dialog_(dialog), status_(status), clock_([] { return std::time(nullptr); }) {}

PositionAnalyzerRun::~PositionAnalyzerRun() {
    if (started_) {
        control_.RequestCancel();
        worker_.Wait();
    }
}

bool PositionAnalyzerRun::Start() {
    if (started_) {
        return false;
    }
    started_ = true;
    status_.SetRunning(true);
    worker_.Start(control_, [this] { Run(); });
    return true;
}

bool PositionAnalyzerRun::WaitFor(std::chrono::milliseconds timeout) {
    return worker_.WaitFor(timeout);
}

void PositionAnalyzerRun::Wait() {
    worker_.Wait();
}

int PositionAnalyzerRun::Outcome() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_;
}

std::string PositionAnalyzerRun::ReportPath() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reportPath_;
}

int PositionAnalyzerRun::Run() {
    const int outcome = Body();
    std::lock_guard<std::mutex> lock(mutex_);
    outcome_ = outcome;
    return outcome;
}

int PositionAnalyzerRun::EndStopped() {
    if (RunCancelled()) {
        status_.ResetStatus();
        EndWithoutReport();
        return kPositionCancelled;
    }
    // The window keeps the keyword and engine at which the user stopped, beside the stop line.
    status_.ShowRunEnd(kRunStoppedText);
    EndWithoutReport();
    return kPositionStopped;
}

void PositionAnalyzerRun::ShowDepth(int depth) {
    // Until the first page tells the engine's total, the window shows the depth asked for; "All"
    // has no number to show before it.
    if (depth != 0) {
        status_.SetSearchRange(depth);
    }
}

void PositionAnalyzerRun::EndWithoutReport() {
    status_.EnableSkipButton(false);
    status_.SetRunning(false);
    status_.EnableCloseButton(true);
    dialog_.RunEnded();
}

int PositionAnalyzerRun::Body() {
    if (!IsOnline()) {
        status_.ResetStatus();
        status_.LogError(kOfflineMessage);
        EndWithoutReport();
        return kPositionOffline;
    }

    const int depth = dialog_.Depth();
    const std::time_t now = clock_();
    const std::string path = PositionReport::PathFor(App().paths.positionAnalyzerDir,
                                                     dialog_.ProjectName(), ReportStamp(now));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reportPath_ = path;
    }
    if (App().results != nullptr) {
        App().results->depth = depth;
    }
    PositionReport report;
    report.AppendHead(App().appTitle, PositionReport::DateText(now));
    const std::string runDate = LocalIsoDateTime(now);
    std::vector<PositionHistoryRow> history;
    const std::string instance = MetasearchInstance();
    std::vector<std::string> liveEngines = dialog_.LiveEngines();
    if (!liveEngines.empty() && instance.empty()) {
        status_.LogError("No metasearch instance is set: the live engines are left out");
        liveEngines.clear();
    }

    std::string keyword;
    for (int k = 0; dialog_.KeywordAt(k, keyword); ++k) {
        const std::vector<std::string> sites = dialog_.Sites();
        std::array<std::vector<SitePosition>, kEngineCount> lists;
        for (std::vector<SitePosition>& list : lists) {
            list.reserve(sites.size());
            for (const std::string& site : sites) {
                list.emplace_back(site);
            }
        }
        std::vector<std::vector<SitePosition>> liveLists = FreshLists(liveEngines.size(), sites);
        const std::string encoded = PercentEncode(keyword);
        status_.SetSkipRequest(false);

        for (EngineId id : kAllEngines) {
            if (dialog_.EngineChecked(id)) {
                status_.ResetStatus();
                status_.SetKeyword(keyword);
                status_.SetEngineLabel(std::string(EngineNames(id).statusLabel));
                status_.ShowEngineLogo(EngineIndex(id));
                ShowDepth(depth);
                SearchEngine(id, encoded, lists[EngineIndex(id)], depth, status_);
            }
            // The engine has taken up any request made during it; a skip ends with it.
            status_.SetSkipRequest(false);
            if (status_.StopRequested() || RunCancelled()) {
                return EndStopped();
            }
        }

        // The instance is asked in UTF-8, whatever the project's keyword text was.
        const std::string liveKeyword = Utf8Text(keyword, PageCharset::Utf8);
        for (std::size_t e = 0; e < liveEngines.size(); ++e) {
            status_.ResetStatus();
            status_.SetKeyword(keyword);
            status_.SetEngineLabel(liveEngines[e]);
            status_.ShowLiveEngineLogo(liveEngines[e]);
            ShowDepth(depth);
            SearchLiveEngine(instance, liveEngines[e], liveKeyword, liveLists[e], depth, status_);
            status_.SetSkipRequest(false);
            if (status_.StopRequested() || RunCancelled()) {
                return EndStopped();
            }
        }

        std::vector<PositionReport::Column> columns;
        for (EngineId id : kAllEngines) {
            if (dialog_.EngineChecked(id)) {
                columns.push_back({EngineNames(id).reportHeader, &lists[EngineIndex(id)]});
                for (const SitePosition& found : lists[EngineIndex(id)]) {
                    history.push_back({runDate, keyword, found.site,
                                       std::string(EngineNames(id).engine), found.position,
                                       found.error});
                }
            }
        }
        for (std::size_t e = 0; e < liveEngines.size(); ++e) {
            columns.push_back({liveEngines[e], &liveLists[e], true});
            for (const SitePosition& found : liveLists[e]) {
                history.push_back(
                    {runDate, keyword, found.site, liveEngines[e], found.position, found.error});
            }
        }
        report.AppendKeywordTable(keyword, sites, columns);
        KeepPositions(dialog_, keyword, sites, lists, liveEngines, liveLists);
    }
    report.AppendLegend(depth);
    report.AppendFoot();
    if (RunCancelled()) {
        status_.ResetStatus();
        EndWithoutReport();
        return kPositionCancelled;
    }
    report.WriteTo(path);
    // Only a finished run goes into the history; the page is drawn again from the whole table.
    if (!RunCancelled() &&
        AppendPositionHistory(PositionHistoryCsvPath(App().paths), history) == kHistoryAppended) {
        WritePositionHistoryPage(PositionHistoryCsvPath(App().paths),
                                 PositionHistoryPagePath(App().paths));
    }

    // The last keyword, engine and counts stay in view beside the end line.
    status_.ShowRunEnd(kRunFinishedText);
    status_.EnableSkipButton(false);
    status_.SetRunning(false);
    status_.EnableCloseButton(true);
    if (status_.HasWarnings()) {
        status_.ScrollToFirstWarning();
    } else {
        status_.CloseWindow();
    }
    dialog_.RunEnded();
    OpenDocument(path);
    return kPositionReportWritten;
}

}  // namespace sg
