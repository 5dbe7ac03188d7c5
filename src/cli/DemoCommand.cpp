#include "cli/DemoCommand.h"

#include <array>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "cli/AnalysisCommand.h"
#include "cli/AuditCommand.h"
#include "cli/ExitCode.h"
#include "cli/LinksCommand.h"
#include "cli/PopularityCommand.h"
#include "cli/PositionsCommand.h"
#include "cli/ReadinessCommand.h"
#include "cli/TerminalText.h"
#include "demo/DemoEngines.h"
#include "demo/DemoProject.h"
#include "demo/DemoSession.h"
#include "model/AppState.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "demo [--workdir DIR]\n"
    "                 start the two demo web sites and a stand-in for the search engines on\n"
    "                 this machine (no internet connection is needed), save the demo project\n"
    "                 as the profile \"Profiles/Coffee Demo.swp\", run every analysis on it\n"
    "                 (readiness, nested readiness, links, popularity, positions, the latter\n"
    "                 also on two live engines of a stand-in metasearch instance, and the\n"
    "                 site audit) and print\n"
    "                 \"Profile: PATH\", then each report's path as \"ANALYSIS: PATH\"; one\n"
    "                 progress line per analysis goes to stderr. The own site has moved to\n"
    "                 https: its address answers with a redirect to a second port, whose\n"
    "                 certificate the demo makes at start and trusts for this run only. The\n"
    "                 demo sites stop when the command ends. Each analysis's results also go\n"
    "                 to Results/NAME.json and Results/NAME.csv in the working folder, as\n"
    "                 --json and --csv write them. --workdir here is the same as before the\n"
    "                 command";

// One analysis of the demo: the command that runs it and its arguments before the profile.
struct DemoStep {
    std::string_view label;
    CliCommand (*command)();
    std::vector<std::string> options;
    // The name of its results files.
    std::string_view results;
};

std::string LastLine(const std::string& text) {
    std::string_view rest(text);
    while (!rest.empty() && rest.back() == '\n') {
        rest.remove_suffix(1);
    }
    const std::size_t newline = rest.rfind('\n');
    return std::string(newline == std::string_view::npos ? rest : rest.substr(newline + 1));
}

// Every designed engine, then the live engines of the emulator's metasearch instance.
std::string DemoEngineList() {
    std::string list;
    for (EngineId id : kAllEngines) {
        list += std::to_string(EngineIndex(id)) + ",";
    }
    for (std::string_view live : kDemoLiveEngines) {
        list += std::string(live) + ",";
    }
    list.pop_back();
    return list;
}

int Run(CliContext& context) {
    if (!context.args.empty()) {
        return CliUsageError(context, "demo", "unexpected argument " + context.args.front());
    }
    // A working folder named for the demo may not exist yet: make it, and set it up again.
    if (!FolderExists(App().paths.profilesDir)) {
        std::error_code ignored;
        std::filesystem::create_directories(App().paths.workDir, ignored);
        StartUp(App().paths.workDir);
    }
    DemoSession session;
    Project& project = App().project;
    const int opened = OpenDemoProject(project, session);
    if (opened == kDemoNoPort) {
        CliError(context, "demo: cannot open a port on 127.0.0.1 for the demo sites");
        return kExitFailed;
    }
    if (opened == kDemoNoCertificate) {
        CliError(context, "demo: cannot make the certificate of the demo's https site");
        return kExitFailed;
    }
    const std::string profile = DemoProfilePath();
    if (opened != kDemoStarted) {
        CliError(context, "demo: cannot write the profile " + profile);
        return kExitFailed;
    }
    // Paths are printed exactly as they are on disk, as the analyses print theirs.
    context.out << "Profile: " << profile << '\n' << std::flush;
    context.err << "demo: the sites are at http://" << TerminalText(session.SiteUrl(0))
                << " (moved to " << TerminalText(session.MovedSiteUrl(kDemoMovedSite))
                << ") and http://" << TerminalText(session.SiteUrl(1)) << ", the engines at "
                << session.EngineHost() << ", the metasearch instance at "
                << session.MetasearchAddress() << '\n';

    // Each analysis exactly as its own command runs it on the saved profile.
    const std::array<DemoStep, 6> steps = {{
        {"Search Engine Readiness", &ReadinessCommand, {}, "readiness"},
        {"Nested Search Engine Readiness", &ReadinessCommand, {"--nested"}, "readiness-nested"},
        {"Link Validator", &LinksCommand, {}, "links"},
        {"Link Popularity", &PopularityCommand, {}, "popularity"},
        {"Position Analyzer", &PositionsCommand, {"--engines", DemoEngineList()}, "positions"},
        {"Site Audit", &AuditCommand, {}, "audit"},
    }};
    // The results as data, so that a user sees both formats on the demo.
    const std::string resultsDir = App().paths.workDir + "/Results";
    std::error_code ignored;
    std::filesystem::create_directories(resultsDir, ignored);
    context.err << "demo: the results as data go to " << TerminalText(resultsDir) << '\n';
    int exitCode = kExitOk;
    for (const DemoStep& step : steps) {
        // The command's own progress lines are kept back, so that the report paths stand out;
        // they are shown when the analysis fails.
        std::ostringstream out;
        std::ostringstream progress;
        CliContext stepContext{step.options, out, progress};
        const std::string data = resultsDir + "/" + std::string(step.results);
        stepContext.args.insert(stepContext.args.end(),
                                {"--json", data + ".json", "--csv", data + ".csv"});
        stepContext.args.push_back(profile);
        context.err << "demo: " << step.label << "...\n" << std::flush;
        const int result = step.command().run(stepContext);
        if (result == kExitInterrupted) {
            CliError(context, "demo: stopped");
            return kExitInterrupted;
        }
        const std::string page = LastLine(out.str());
        if (result != kExitOk || page.empty() || !FileExists(page)) {
            context.err << progress.str();
            CliError(context, "demo: " + std::string(step.label) + ": no report written");
            exitCode = kExitFailed;
            continue;
        }
        context.out << step.label << ": " << page << '\n' << std::flush;
    }
    return exitCode;
}

}  // namespace

CliCommand DemoCommand() {
    return CliCommand{"demo", kUsage, &Run,
                      "0    every report was written\n"
                      "1    a demo server could not start, its certificate could not be made,\n"
                      "     the profile could not be saved, or an analysis wrote no report\n"
                      "2    bad usage\n"
                      "130  stopped with Ctrl-C",
                      true};
}

}  // namespace sg
