#include "cli/AnalysisCommand.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <string>
#include <vector>

#include "analysis/crawl/CrawlManners.h"
#include "analysis/crawl/PageBoundSetting.h"
#include "app/AnalysisRun.h"
#include "cli/AuthorityOptions.h"
#include "cli/CliArgs.h"
#include "cli/CliInterrupt.h"
#include "cli/CliProgressBar.h"
#include "cli/CliRunFrontEnd.h"
#include "cli/ExitCode.h"
#include "cli/ProjectArgument.h"
#include "cli/ResultsOutput.h"
#include "model/AppState.h"
#include "model/IsProjectReady.h"
#include "model/LinkCounts.h"
#include "model/RunResults.h"
#include "net/PageRenderer.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

struct AnalysisArgs {
    bool nested = false;
    // 0: the stored setting.
    int maxPages = 0;
    int maxLinks = 0;
    bool open = false;
    bool failOnFindings = false;
    // --ignore-robots: robots.txt not kept on the own site (the first URL).
    bool ignoreRobots = false;
    // --rate N: requests per second to one host; 0: no limit.
    int requestsPerSecond = 0;
    // --render: the site's pages loaded in a browser.
    bool render = false;
    // The audit's --fail-on: the least severe finding that fails the command.
    AuditSeverity failOn = AuditSeverity::Error;
    ResultsOutput output;
    ProjectArgument project;
    AuthorityArgs authority;
};

// App().results for the time of one command.
class ResultsScope {
  public:
    explicit ResultsScope(RunResults& results) { App().results = &results; }
    ~ResultsScope() { App().results = nullptr; }
    ResultsScope(const ResultsScope&) = delete;
    ResultsScope& operator=(const ResultsScope&) = delete;
};

// `option` with a value of 1..max into `value`; true when the option stood next (a bad value
// fails `args`, saying it needs `what`).
bool TakeNumber(CliArgs& args, std::string_view option, std::string_view what, int max,
                int& value) {
    std::string text;
    if (!args.TakeValue(option, text)) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > max) {
        args.Fail(std::string(option) + " needs " + std::string(what) + " from 1 to " +
                  std::to_string(max) + ": " + text);
    }
    return true;
}

bool ParseArgs(CliArgs& args, AnalysisKind kind, AnalysisArgs& parsed) {
    while (!args.AtEnd() && !args.Failed()) {
        if (std::string severity;
            kind == AnalysisKind::SiteAudit && args.TakeValue("--fail-on", severity)) {
            parsed.failOnFindings = true;
            if (severity == "error") {
                parsed.failOn = AuditSeverity::Error;
            } else if (severity == "warning") {
                parsed.failOn = AuditSeverity::Warning;
            } else if (!args.Failed()) {
                args.Fail("--fail-on takes error or warning: " + severity);
            }
        } else if (kind != AnalysisKind::LinkPopularity && kind != AnalysisKind::SiteAudit &&
                   args.TakeFlag("--nested")) {
            parsed.nested = true;
        } else if (args.TakeFlag("--open")) {
            parsed.open = true;
        } else if (kind == AnalysisKind::Readiness && args.TakeFlag("--fail-on-warnings")) {
            parsed.failOnFindings = true;
        } else if (kind == AnalysisKind::LinkValidator && args.TakeFlag("--fail-on-broken")) {
            parsed.failOnFindings = true;
        } else if (kind != AnalysisKind::LinkPopularity &&
                   (TakeNumber(args, "--max-pages", "a number", kMaxMaxPages, parsed.maxPages) ||
                    TakeNumber(args, "--max-links-per-page", "a number", kMaxMaxLinks,
                               parsed.maxLinks) ||
                    TakeNumber(args, "--rate", "a number of requests per second",
                               kMaxRequestsPerSecond, parsed.requestsPerSecond))) {
            continue;
        } else if (kind != AnalysisKind::LinkPopularity && args.TakeFlag("--ignore-robots")) {
            parsed.ignoreRobots = true;
        } else if (kind == AnalysisKind::LinkPopularity &&
                   TakeAuthorityOption(args, parsed.authority)) {
            continue;
        } else if (kind != AnalysisKind::LinkPopularity && args.TakeFlag("--render")) {
            parsed.render = true;
        } else if (TakeResultsOption(args, parsed.output)) {
            continue;
        } else if (!TakeProjectArgument(args, parsed.project)) {
            args.Fail("unknown option " + args.Current());
        }
    }
    if (parsed.render && kind == AnalysisKind::Readiness && !parsed.nested && !args.Failed()) {
        args.Fail("--render needs --nested");
    }
    return CheckProjectArgument(args, parsed.project);
}

ResultsKind KindOfResults(AnalysisKind kind) {
    switch (kind) {
        case AnalysisKind::Readiness:
            return ResultsKind::Readiness;
        case AnalysisKind::LinkValidator:
            return ResultsKind::Links;
        case AnalysisKind::SiteAudit:
            return ResultsKind::Audit;
        case AnalysisKind::LinkPopularity:
            break;
    }
    return ResultsKind::Popularity;
}

bool HasFindings(const RunResults& results, const AnalysisArgs& parsed, AnalysisKind kind) {
    switch (kind) {
        case AnalysisKind::SiteAudit:
            return HasAuditFindings(results, parsed.failOn);
        case AnalysisKind::Readiness:
            return HasReadinessWarnings(results);
        case AnalysisKind::LinkValidator:
            return HasFailedLinks(results);
        case AnalysisKind::LinkPopularity:
            break;
    }
    return false;
}

// The last line on stderr: what the crawls of all sites counted.
void PrintLinkCounts(CliContext& context, std::string_view command, const Project& project) {
    LinkCounts total;
    for (int i = 0; i < project.UrlCount(); ++i) {
        if (const auto& counts = project.GetUrl(i)->GetLinkCounts()) {
            total.pagesVisited += counts->pagesVisited;
            total.linksJudged += counts->linksJudged;
            total.broken += counts->broken;
            total.unreachable += counts->unreachable;
            total.blocked += counts->blocked;
            total.linksNotRead += counts->linksNotRead;
            total.limitReached = total.limitReached || counts->limitReached;
            total.pageLimit = counts->pageLimit;
        }
    }
    context.err << command << ": " << LinkCountsText(total) << '\n' << std::flush;
}

}  // namespace

int RunAnalysisCommand(CliContext& context, std::string_view command, AnalysisKind kind) {
    const std::string prefix = std::string(command) + ": ";
    CliArgs args(context.args);
    AnalysisArgs parsed;
    if (!ParseArgs(args, kind, parsed)) {
        return CliUsageError(context, command, args.Error());
    }

    if (const int kept = ApplyAuthorityOptions(context, command, parsed.authority);
        kept != kExitOk) {
        return kept;
    }
    std::string browser;
    if (parsed.render) {
        browser = FindRenderBrowser();
        if (browser.empty()) {
            CliError(context, prefix + std::string(kNoRenderBrowserText));
            return kExitUsage;
        }
    }
    if (parsed.maxLinks > 0) {
        OverrideMaxLinksPerPage(parsed.maxLinks);
    }
    if (parsed.maxPages > 0) {
        OverrideMaxPagesPerSite(parsed.maxPages);
    }
    Project& project = App().project;
    if (!LoadProjectArgument(context, command, parsed.project, project)) {
        return kExitUsage;
    }
    if (!IsProjectReady(project)) {
        CliError(context, prefix + "project not ready: " + NotReadyReason(project));
        return kExitUsage;
    }

    CliProgressBar bar(context.err, ::isatty(STDERR_FILENO) == 1);
    CliRunFrontEnd frontEnd(context, bar);
    AnalysisRun run(project, frontEnd, bar);
    run.SetOpensSummaryPage(parsed.open);
    AnalysisSelection selection;
    selection.readiness = kind == AnalysisKind::Readiness;
    selection.linkValidator = kind == AnalysisKind::LinkValidator;
    selection.linkPopularity = kind == AnalysisKind::LinkPopularity;
    selection.nested = parsed.nested;
    selection.siteAudit = kind == AnalysisKind::SiteAudit;
    selection.ignoreOwnRobots = parsed.ignoreRobots;
    selection.requestsPerSecond = parsed.requestsPerSecond;
    selection.renderBrowser = browser;

    RunResults results;
    ResultsScope resultsScope(results);
    CliInterrupt interrupt;
    const int started = run.AnalyzeNow(selection);
    if (started != kRunStarted) {
        // The front end has printed the reason.
        return kExitFailed;
    }
    while (!run.WaitFor(std::chrono::milliseconds(50))) {
        if (CliInterrupt::Requested()) {
            run.RequestCancel();
        }
    }
    run.Wait();
    if (run.WasCancelled()) {
        CliError(context, prefix + "cancelled");
        return kExitInterrupted;
    }
    // The path exactly as it is on disk, so that scripts can use the line.
    const std::string& page = project.GetPageToOpen();
    if (!FileExists(page)) {
        CliError(context, prefix + "the summary page could not be written");
        return kExitFailed;
    }
    if (!WriteResultsOutput(context, command, parsed.output, results, KindOfResults(kind),
                            project.GetName())) {
        return kExitFailed;
    }
    PrintReportPath(context, parsed.output, page);
    if (kind == AnalysisKind::LinkValidator) {
        PrintLinkCounts(context, command, project);
    }
    if (kind == AnalysisKind::SiteAudit && !results.audit.empty() &&
        std::all_of(results.audit.begin(), results.audit.end(),
                    [](const AuditSite& site) { return site.unreachable; })) {
        // Nothing was audited: no finding of the command may read as a clean site.
        CliError(context, prefix + "no site answered; nothing was audited");
        return kExitFailed;
    }
    return parsed.failOnFindings && HasFindings(results, parsed, kind) ? kExitFindings : kExitOk;
}

}  // namespace sg
