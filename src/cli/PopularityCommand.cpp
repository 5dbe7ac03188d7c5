#include "cli/PopularityCommand.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "analysis/UrlText.h"
#include "app/AnalysisRun.h"
#include "app/AppState.h"
#include "app/IsProjectReady.h"
#include "app/ProfileFile.h"
#include "cli/AnalysisCommand.h"
#include "cli/CliArgs.h"
#include "cli/CliInterrupt.h"
#include "cli/CliProgressBar.h"
#include "cli/CliRunFrontEnd.h"
#include "cli/ExitCode.h"
#include "engines/EngineHosts.h"
#include "engines/LinkCountsForSite.h"
#include "platform/Ansi.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "popularity [--open] PROFILE\n"
    "popularity [--open] --name NAME --url URL... [--keyword WORD]...\n"
    "                 ask nine search engines how many pages link to each site (URLs without\n"
    "                 \"http://\", kept in the order given) and write the Link Popularity page;\n"
    "                 progress goes to stderr, the last line of stdout is the page, which\n"
    "                 --open shows in the browser. A project that cannot be analysed exits 2;\n"
    "                 Ctrl-C cancels (exit 130, no page). Engine hosts all on this machine\n"
    "                 (see --engine-host) need no internet connection";

struct PopularityArgs {
    bool open = false;
    std::string profile;
    bool inline_ = false;
    std::string name;
    std::vector<std::string> urls;
    std::vector<std::string> keywords;
};

// The project the way the other analysis commands take it: a profile file, or --name with
// --url and --keyword in any order, the lists kept in the order given.
bool ParseArgs(CliArgs& args, PopularityArgs& parsed) {
    std::string value;
    while (!args.AtEnd() && !args.Failed()) {
        if (args.TakeFlag("--open")) {
            parsed.open = true;
        } else if (args.TakeValue("--name", value)) {
            if (parsed.inline_ && !args.Failed()) {
                args.Fail("--name given twice");
            }
            parsed.inline_ = true;
            parsed.name = value;
        } else if (args.TakeValue("--url", value)) {
            parsed.urls.push_back(value);
        } else if (args.TakeValue("--keyword", value)) {
            parsed.keywords.push_back(value);
        } else if (args.TakePositional(value)) {
            if (!parsed.profile.empty()) {
                args.Fail("unexpected argument " + value);
            }
            parsed.profile = value;
        } else {
            args.Fail("unknown option " + args.Current());
        }
    }
    if (args.Failed()) {
        return false;
    }
    if (!parsed.profile.empty() &&
        (parsed.inline_ || !parsed.urls.empty() || !parsed.keywords.empty())) {
        args.Fail("give a PROFILE or --name/--url/--keyword, not both");
    } else if (parsed.profile.empty() && !parsed.inline_) {
        args.Fail(parsed.urls.empty() && parsed.keywords.empty() ? "no PROJECT given"
                                                                 : "--name NAME is required");
    }
    return !args.Failed();
}

std::string NotReadyReason(const Project& project) {
    int index = -1;
    const int reason = CheckProjectReady(project, &index);
    const std::string which = "URL " + std::to_string(index + 1);
    switch (reason) {
        case kProjectNoUrls:
            return "the project has no URLs";
        case kProjectEmptyUrl:
            return which + " is empty";
        case kProjectBareScheme:
            return which + " is only \"http://\"";
        case kProjectUrlWithoutDot:
            return which + " holds no \".\"";
        case kProjectNoShortName:
            return "the project name is empty or begins with \".\"";
        default:
            return {};
    }
}

// The counts come from the engines, not the sites: no internet connection is needed when every
// link-count host is on this machine (127.0.0.0/8 or "localhost").
bool AllLinkHostsLoopback() {
    const EngineHosts hosts = CurrentEngineHosts();
    for (EngineId id : kLinkCountEngines) {
        const std::string& host = hosts.LinkHost(id);
        const std::string name = host.substr(0, host.find(':'));
        in_addr address{};
        const bool loopback = ::inet_pton(AF_INET, name.c_str(), &address) == 1
                                  ? (ntohl(address.s_addr) >> 24) == 127
                                  : EqualsNoCase(name, "localhost");
        if (!loopback) {
            return false;
        }
    }
    return true;
}

int Run(CliContext& context) {
    CliArgs args(context.args);
    PopularityArgs parsed;
    if (!ParseArgs(args, parsed)) {
        CliError(context, "popularity: " + args.Error() + " (see --help)");
        return kExitUsage;
    }

    Project& project = App().project;
    if (parsed.inline_) {
        // As the Project dialog takes typed URLs: without their "http://".
        project.SetName(Utf8ToAnsi(parsed.name));
        for (const std::string& url : parsed.urls) {
            project.AddUrl(StripHttpPrefix(Utf8ToAnsi(url)));
        }
        for (const std::string& keyword : parsed.keywords) {
            project.AddKeyword(Utf8ToAnsi(keyword));
        }
    } else {
        std::string errorText;
        const int loaded = LoadProfile(project, parsed.profile, &errorText);
        if (loaded == kProfileCannotOpen) {
            CliError(context, "popularity: cannot open " + parsed.profile);
            return kExitUsage;
        }
        if (loaded != kProfileOk) {
            context.err << errorText << '\n';
            return kExitUsage;
        }
    }
    if (!IsProjectReady(project)) {
        CliError(context, "popularity: project not ready: " + NotReadyReason(project));
        return kExitUsage;
    }
    if (AllLinkHostsLoopback()) {
        SetOnlineCheck([] { return true; });
    }

    CliProgressBar bar(context.err, ::isatty(STDERR_FILENO) == 1);
    CliRunFrontEnd frontEnd(context, bar);
    AnalysisRun run(project, frontEnd, bar);
    run.SetOpensSummaryPage(parsed.open);
    AnalysisSelection selection;
    selection.linkPopularity = true;

    CliInterrupt interrupt;
    if (run.AnalyzeNow(selection) != kRunStarted) {
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
        CliError(context, "popularity: cancelled");
        return kExitInterrupted;
    }
    const std::string& page = project.GetPageToOpen();
    context.out << AnsiToUtf8(page) << '\n' << std::flush;
    if (!FileExists(page)) {
        CliError(context, "popularity: the summary page could not be written");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

CliCommand PopularityCommand() {
    return CliCommand{"popularity", kUsage, &Run};
}

}  // namespace sg
