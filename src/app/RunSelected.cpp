#include "app/RunSelected.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "app/ResultsCsv.h"
#include "app/ResultsJson.h"
#include "model/AppState.h"
#include "model/RunResults.h"
#include "net/ConnectionSetting.h"
#include "net/PageRenderer.h"
#include "net/ProxySettings.h"
#include "net/RenderFetcher.h"
#include "net/WebFetcher.h"
#include "net/WebSession.h"
#include "platform/FileSystem.h"
#include "platform/RunControl.h"
#include "reports/PreviousReports.h"

namespace sg {
namespace {

// The run's findings as data beside its summary page, for Previous Reports' Export. The sites
// are lent to the results and given back, never copied.
void WriteAuditData(const Project& project, std::vector<AuditSite>& sites) {
    const std::string folder = App().paths.siteAuditDir + "/" + project.GetReportName() + "/";
    RunResults data;
    data.audit = std::move(sites);
    WriteFileReplacing(folder + std::string(kAuditDataJson), [&](std::ostream& out) {
        return WriteResultsJson(out, data, ResultsKind::Audit, project.GetName()) == kJsonWritten;
    });
    WriteFileReplacing(folder + std::string(kAuditDataCsv), [&](std::ostream& out) {
        return WriteResultsCsv(out, data, ResultsKind::Audit) == kCsvWritten;
    });
    sites = std::move(data.audit);
}

// The renderer's options for this run: the run's connections as tabs, its proxy.
RendererOptions RenderOptions(const std::string& browser) {
    RendererOptions options;
    options.program = browser;
    options.tabs = ConnectionsPerHost();
    const ProxySettings& proxy = CurrentProxySettings();
    if (!proxy.address.empty()) {
        options.proxy = proxy.address + ":" + (proxy.port.empty() ? "80" : proxy.port);
    }
    return options;
}

std::vector<std::string> SiteAddresses(const Project& project) {
    std::vector<std::string> addresses;
    for (int i = 0; i < project.UrlCount(); ++i) {
        addresses.push_back(project.GetUrl(i)->GetUrl());
    }
    return addresses;
}

}  // namespace

void RunSelected(Project& project, bool readiness, bool linkValidator, bool linkPopularity,
                 bool nested) {
    RunSelected(project, readiness, linkValidator, linkPopularity, nested,
                DefaultAnalysisWriters());
}

void RunSelected(Project& project, bool readiness, bool linkValidator, bool linkPopularity,
                 bool nested, const AnalysisWriters& writers) {
    AnalysisSelection selection;
    selection.readiness = readiness;
    selection.linkValidator = linkValidator;
    selection.linkPopularity = linkPopularity;
    selection.nested = nested;
    RunSelected(project, selection, writers);
}

void RunSelected(Project& project, const AnalysisSelection& selection,
                 const AnalysisWriters& writers) {
    const bool readiness = selection.readiness;
    const bool linkValidator = selection.linkValidator;
    const bool linkPopularity = selection.linkPopularity;
    const bool nested = selection.nested;
    // One set of connections for the whole run: a site that several analyses ask is connected
    // to once. Every analysis fetches through the run's fetcher.
    auto session = std::make_shared<WebSession>();
    const WebSession::Scope connections(session);
    WebFetcher webFetcher(session);
    // Rendering: the sites' pages go through one browser for the whole run.
    std::unique_ptr<PageRenderer> renderer;
    std::unique_ptr<RenderFetcher> renderFetcher;
    if (!selection.renderBrowser.empty()) {
        const RendererOptions options = RenderOptions(selection.renderBrowser);
        renderer = std::make_unique<PageRenderer>(options);
        renderFetcher = std::make_unique<RenderFetcher>(
            webFetcher, *renderer, HostsOf(SiteAddresses(project)), options.tabs);
    }
    Fetcher& fetcher = renderFetcher != nullptr ? static_cast<Fetcher&>(*renderFetcher)
                                                : static_cast<Fetcher&>(webFetcher);
    project.readinessSelected = readiness;
    project.linkValidatorSelected = linkValidator;
    project.linkPopularitySelected = linkPopularity;
    project.nestedSelected = nested;
    project.ignoreOwnRobots = selection.ignoreOwnRobots;
    project.requestsPerSecond = selection.requestsPerSecond;
    project.renderPages = !selection.renderBrowser.empty();
    project.selectedCount = (linkPopularity ? 1 : 0) + (linkValidator ? 1 : 0) +
                            (readiness ? 1 : 0) + (selection.siteAudit ? 1 : 0);

    if (linkValidator) {
        // A cancelled run goes no further than the writer it was in: the writers themselves
        // always answer go on.
        if (!writers.linkValidator(project, fetcher, nested) || RunCancelled()) {
            return;
        }
    }
    SummaryKind kind = linkValidator    ? SummaryKind::BrokenLinks
                       : linkPopularity ? SummaryKind::LinkPopularity
                                        : SummaryKind::None;
    if (readiness) {
        bool goOn = false;
        if (nested) {
            goOn = writers.nestedReadiness(project, fetcher);
            kind = SummaryKind::NestedReadiness;
        } else {
            goOn = writers.readiness(project, fetcher);
            kind = SummaryKind::Readiness;
        }
        if (!goOn || RunCancelled()) {
            return;
        }
    }
    writers.summary(project, kind);
    if (selection.siteAudit && !RunCancelled()) {
        // The sites' results live as long as this dispatch: the summary page needs them all.
        std::vector<AuditSite> sites;
        if (writers.siteAudit(project, fetcher, sites) && !RunCancelled()) {
            writers.siteAuditSummary(project, sites);
            WriteAuditData(project, sites);
        }
        // Then to the run's results, moved: a large site's verdicts are never held twice.
        if (App().results != nullptr) {
            std::move(sites.begin(), sites.end(), std::back_inserter(App().results->audit));
        }
    }
}

}  // namespace sg
