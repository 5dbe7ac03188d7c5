#include "app/AnalysisRun.h"

#include <cstdio>
#include <ctime>

#include "app/ProgressModel.h"
#include "app/RunSelected.h"
#include "engines/EngineHosts.h"
#include "engines/LinkCountsForSite.h"
#include "model/AppState.h"
#include "model/IsProjectReady.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/OpenDocument.h"
#include "reports/PreviousReports.h"

namespace sg {
namespace {

// The report name carries a time stamp of one second's resolution; a second run within the
// same second would append to the first run's files. Such a name is in use when one of the
// analysis folders already holds a run folder of that name.
bool ReportNameInUse(const std::string& reportName) {
    const AppPaths& paths = App().paths;
    return FolderExists(paths.readinessDir + "/" + reportName) ||
           FolderExists(paths.linkValidatorDir + "/" + reportName) ||
           FolderExists(paths.linkPopularityDir + "/" + reportName) ||
           FolderExists(paths.siteAuditDir + "/" + reportName);
}

// The folders a run of this report name may create, one per analysis.
std::vector<std::string> RunFolders(const std::string& reportName) {
    const AppPaths& paths = App().paths;
    return {paths.linkValidatorDir + "/" + reportName, paths.readinessDir + "/" + reportName,
            paths.linkPopularityDir + "/" + reportName, paths.siteAuditDir + "/" + reportName};
}

void PrepareFreshRunNames(Project& project) {
    project.PrepareRunNames(project.GetName());
    for (int tries = 0; tries < 3 && ReportNameInUse(project.GetReportName()); ++tries) {
        const std::time_t now = std::time(nullptr);
        while (std::time(nullptr) == now) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        project.PrepareRunNames(project.GetName());
    }
}

}  // namespace

std::vector<std::string> HostsOfRun(const Project& project, const AnalysisSelection& selection) {
    std::vector<std::string> hosts;
    if (selection.readiness || selection.linkValidator || selection.siteAudit) {
        for (int i = 0; i < project.UrlCount(); ++i) {
            hosts.push_back(project.GetUrl(i)->GetUrl());
        }
    }
    if (selection.linkPopularity && !selection.readiness && !selection.linkValidator) {
        const EngineHosts engines = CurrentEngineHosts();
        for (EngineId id : kLinkCountEngines) {
            hosts.push_back(engines.LinkHost(id));
        }
    }
    return hosts;
}

void AnalysisRun::Forwarder::SetCaption(const std::string& text) {
    if (!control_.CancelRequested()) {
        target_.SetCaption(text);
    }
}

void AnalysisRun::Forwarder::SetPosition(int position) {
    if (!control_.CancelRequested()) {
        target_.SetPosition(position);
    }
}

void AnalysisRun::Forwarder::LogLine(const std::string& text) {
    if (!control_.CancelRequested()) {
        target_.LogLine(text);
    }
}

void AnalysisRun::Forwarder::Count(ProgressCount what) {
    if (!control_.CancelRequested()) {
        target_.Count(what);
    }
}

void AnalysisRun::Forwarder::SiteWork(int done, int known) {
    if (!control_.CancelRequested()) {
        target_.SiteWork(done, known);
    }
}

void AnalysisRun::Forwarder::RequestEnded(bool proxyUnreachable) {
    if (!control_.CancelRequested()) {
        target_.RequestEnded(proxyUnreachable);
    }
}

AnalysisRun::AnalysisRun(Project& project, AnalysisFrontEnd& frontEnd, ProgressSink& progress,
                         AnalysisWriters writers)
    : project_(project), frontEnd_(frontEnd), progress_(progress), writers_(std::move(writers)) {}

AnalysisRun::~AnalysisRun() {
    CancelNow();
    Wait();
}

int AnalysisRun::AnalyzeNow(const AnalysisSelection& selection) {
    if (worker_.Running()) {
        return kRunBusy;
    }
    // The previous worker has ended; collect it before its state is reused.
    Wait();

    // A site on this machine needs its loopback interface, not the internet.
    if (!CanReach(HostsOfRun(project_, selection))) {
        frontEnd_.ShowMessage(kOfflineMessage, App().appTitle, MessageIcon::Error);
        return kRunOffline;
    }
    if (!IsProjectReady(project_)) {
        frontEnd_.OpenProjectDialog();
        return kRunProjectNotReady;
    }
    if (!selection.AnyAnalysis()) {
        frontEnd_.ShowMessage(kNothingSelectedMessage, App().appTitle, MessageIcon::None);
        return kRunNothingSelected;
    }
    PrepareFreshRunNames(project_);
    newRunFolders_.clear();
    // A name that could climb out of the analysis folders never names a folder to delete.
    const std::string& reportName = project_.GetReportName();
    if (!reportName.empty() && reportName != "." && reportName != ".." &&
        reportName.find('/') == std::string::npos) {
        for (std::string& folder : RunFolders(reportName)) {
            if (!FolderExists(folder) && !FileExists(folder)) {
                newRunFolders_.push_back(std::move(folder));
            }
        }
    }

    control_ = std::make_unique<RunControl>();
    forwarder_ = std::make_unique<Forwarder>(progress_, *control_);
    progress_.SetCaption(std::string(ProgressModel::kTitle));
    progress_.SetPosition(ProgressModel::kLower);
    App().progressWindow = forwarder_.get();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finishing_ = false;
        cancelled_ = false;
        asking_ = false;
    }
    summaryBegun_ = false;
    worker_.Start(*control_, [this, selection] { Work(selection); });
    return kRunStarted;
}

bool AnalysisRun::RequestCancel() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!worker_.Running() || finishing_ || cancelled_ || asking_) {
            return false;
        }
        asking_ = true;
        control_->Pause();
    }
    const bool yes = frontEnd_.ConfirmCancel(kCancelQuestion);
    std::lock_guard<std::mutex> lock(mutex_);
    asking_ = false;
    if (cancelled_) {
        // Cancelled without asking while the question was open.
        return true;
    }
    if (yes) {
        cancelled_ = true;
        control_->RequestCancel();
    } else {
        control_->Resume();
    }
    return yes;
}

void AnalysisRun::CancelNow() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!worker_.Running() || finishing_ || cancelled_) {
        return;
    }
    cancelled_ = true;
    control_->RequestCancel();
}

void AnalysisRun::Wait() {
    worker_.Wait();
}

bool AnalysisRun::WaitFor(std::chrono::milliseconds timeout) {
    return worker_.WaitFor(timeout);
}

bool AnalysisRun::WasCancelled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

bool AnalysisRun::PassFinalGate() {
    for (;;) {
        if (!control_->WaitWhilePaused()) {
            return false;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (cancelled_) {
            return false;
        }
        // A Cancel pressed between the wait and here has paused the run again: wait for the
        // answer. Otherwise the run is finishing and a later Cancel comes too late to apply.
        if (!control_->Paused()) {
            finishing_ = true;
            return true;
        }
    }
}

void AnalysisRun::Work(AnalysisSelection selection) {
    frontEnd_.RunStarted();

    AnalysisWriters writers = writers_;
    writers.summary = [this](Project& project, SummaryKind kind) {
        summaryBegun_ = true;
        writers_.summary(project, kind);
    };
    writers.siteAuditSummary = [this](Project& project, const std::vector<AuditSite>& sites) {
        summaryBegun_ = true;
        writers_.siteAuditSummary(project, sites);
    };
    RunSelected(project_, selection, writers);

    const bool finished = PassFinalGate();
    if (finished && App().progressWindow != nullptr) {
        App().progressWindow->SetPosition(ProgressModel::kUpper);
    }
    App().progressWindow = nullptr;
    if (!finished && summaryBegun_) {
        // Only a page this run has begun: before its summary writer ran, pageToOpen still
        // names the previous run's finished page.
        std::remove(project_.GetPageToOpen().c_str());
    }
    if (!finished && removesCancelledRun_) {
        // A half-written run folder is not listed among the previous reports, so nothing
        // could delete it later.
        RemoveCreatedRunFolders();
    }
    frontEnd_.RunFinished(!finished);
    if (finished && opensSummaryPage_ && !OpenDocument(project_.GetPageToOpen())) {
        frontEnd_.ReportNotShown(project_.GetPageToOpen());
    }
}

void AnalysisRun::RemoveCreatedRunFolders() {
    for (const std::string& folder : newRunFolders_) {
        if (FolderExists(folder)) {
            DeleteFolderTree(folder);
        }
    }
    newRunFolders_.clear();
}

}  // namespace sg
