#include "cli/AnalysisCommand.h"

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
#include "cli/CliArgs.h"
#include "cli/CliInterrupt.h"
#include "cli/CliProgressBar.h"
#include "cli/CliRunFrontEnd.h"
#include "cli/ExitCode.h"
#include "platform/Ansi.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

struct AnalysisArgs {
    bool nested = false;
    bool open = false;
    std::string profile;
    bool inline_ = false;
    std::string name;
    std::vector<std::string> urls;
    std::vector<std::string> keywords;
};

// The same order rules as "profile create": options in any order, URLs and keywords kept in
// the order given, --name once.
bool ParseArgs(CliArgs& args, AnalysisArgs& parsed) {
    std::string value;
    while (!args.AtEnd() && !args.Failed()) {
        if (args.TakeFlag("--nested")) {
            parsed.nested = true;
        } else if (args.TakeFlag("--open")) {
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
            return which + " (" + AnsiToUtf8(project.GetUrl(index)->GetUrl()) + ") holds no \".\"";
        case kProjectNoShortName:
            return "the project name is empty or begins with \".\"";
        default:
            return {};
    }
}

// A site on this machine needs no internet connection: 127.0.0.0/8 or "localhost", with or
// without "http://", a port and a path.
bool IsLoopbackSite(std::string_view url) {
    if (url.size() >= 7 && EqualsNoCase(url.substr(0, 7), "http://")) {
        url.remove_prefix(7);
    }
    const std::string host(url.substr(0, url.find_first_of(":/")));
    in_addr address{};
    if (::inet_pton(AF_INET, host.c_str(), &address) == 1) {
        return (ntohl(address.s_addr) >> 24) == 127;
    }
    return EqualsNoCase(host, "localhost");
}

bool AllSitesLoopback(const Project& project) {
    for (int i = 0; i < project.UrlCount(); ++i) {
        if (!IsLoopbackSite(project.GetUrl(i)->GetUrl())) {
            return false;
        }
    }
    return true;
}

}  // namespace

int RunAnalysisCommand(CliContext& context, std::string_view command, bool readiness) {
    const std::string prefix = std::string(command) + ": ";
    CliArgs args(context.args);
    AnalysisArgs parsed;
    if (!ParseArgs(args, parsed)) {
        CliError(context, prefix + args.Error() + " (see --help)");
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
            CliError(context, prefix + "cannot open " + parsed.profile);
            return kExitUsage;
        }
        if (loaded != kProfileOk) {
            context.err << errorText << '\n';
            return kExitUsage;
        }
    }
    if (!IsProjectReady(project)) {
        CliError(context, prefix + "project not ready: " + NotReadyReason(project));
        return kExitUsage;
    }
    if (AllSitesLoopback(project)) {
        SetOnlineCheck([] { return true; });
    }

    CliProgressBar bar(context.err, ::isatty(STDERR_FILENO) == 1);
    CliRunFrontEnd frontEnd(context, bar);
    AnalysisRun run(project, frontEnd, bar);
    run.SetOpensSummaryPage(parsed.open);
    AnalysisSelection selection;
    selection.readiness = readiness;
    selection.linkValidator = !readiness;
    selection.nested = parsed.nested;

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
    context.out << page << '\n' << std::flush;
    if (!FileExists(page)) {
        CliError(context, prefix + "the summary page could not be written");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace sg
