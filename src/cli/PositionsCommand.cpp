#include "cli/PositionsCommand.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <string>
#include <vector>

#include "cli/AnalysisCommand.h"
#include "cli/CliArgs.h"
#include "cli/CliInterrupt.h"
#include "cli/CliPositionRunStatus.h"
#include "cli/ExitCode.h"
#include "cli/ProjectArgument.h"
#include "cli/ResultsOutput.h"
#include "cli/TerminalText.h"
#include "engines/EngineHosts.h"
#include "engines/FixedPositionRunInput.h"
#include "engines/LiveEngineList.h"
#include "engines/LiveFetch.h"
#include "engines/PositionAnalyzerRun.h"
#include "model/AppState.h"
#include "net/MetasearchSetting.h"
#include "platform/Ansi.h"
#include "platform/Connectivity.h"
#include "platform/FileSystem.h"
#include "platform/LoopbackHost.h"
#include "platform/OpenDocument.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "positions [--engines LIST] [--depth N] [--open] [--json FILE] [--csv FILE] PROFILE\n"
    "positions [--engines LIST] [--depth N] [--open] [--json FILE] [--csv FILE]\n"
    "          --name NAME --url URL... --keyword WORD...\n"
    "                 find where the sites rank for each keyword on the engines of LIST\n"
    "                 (comma-separated engine numbers 0..10, default all, and names of the\n"
    "                 live engines of the --metasearch instance as it names them, blanks\n"
    "                 included, e.g. 1,google,\"wikimedia commons\"; those come after the\n"
    "                 numbered ones in the report) down to position N\n"
    "                 (100..900, 1000, 5000, or 0 for all; default 100); the status goes to\n"
    "                 stderr, Ctrl-C stops the run, the report path is printed last. --json\n"
    "                 FILE and --csv FILE also write the positions as data (\"-\": stdout,\n"
    "                 and the report's path goes to stderr instead)";

struct PositionsArgs {
    std::vector<EngineId> engines;
    std::vector<std::string> liveEngines;
    int depth = 100;
    bool open = false;
    ResultsOutput output;
    ProjectArgument project;
};

bool ParseNumber(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && ptr == end;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view TrimmedItem(std::string_view item) {
    while (!item.empty() && item.front() == ' ') {
        item.remove_prefix(1);
    }
    while (!item.empty() && item.back() == ' ') {
        item.remove_suffix(1);
    }
    return item;
}

// An item of digits alone is a designed engine's number; any other is a live engine's name as
// the instance gives it, blanks and leading digits included ("loop back", "360search").
bool ParseEngines(std::string_view list, std::vector<EngineId>& engines,
                  std::vector<std::string>& liveEngines) {
    engines.clear();
    liveEngines.clear();
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view item = TrimmedItem(list.substr(0, comma));
        int index = -1;
        if (item.empty()) {
            return false;
        }
        if (!AllDigits(item)) {
            if (std::find(liveEngines.begin(), liveEngines.end(), item) == liveEngines.end()) {
                liveEngines.emplace_back(item);
            }
        } else if (!ParseNumber(item, index) || !IsEngineIndex(index)) {
            return false;
        } else {
            engines.push_back(static_cast<EngineId>(index));
        }
        if (comma == std::string_view::npos) {
            return true;
        }
        list.remove_prefix(comma + 1);
    }
}

// The choices of the dialog's "Search to Position :" list.
bool IsDepthChoice(int depth) {
    return depth == 0 || depth == 1000 || depth == 5000 ||
           (depth >= 100 && depth <= 900 && depth % 100 == 0);
}

bool ParseArgs(CliArgs& args, PositionsArgs& parsed) {
    std::string value;
    for (EngineId id : kAllEngines) {
        parsed.engines.push_back(id);
    }
    while (!args.AtEnd() && !args.Failed()) {
        if (args.TakeFlag("--open")) {
            parsed.open = true;
        } else if (args.TakeValue("--engines", value)) {
            if (!args.Failed() && !ParseEngines(value, parsed.engines, parsed.liveEngines)) {
                args.Fail(
                    "--engines needs engine numbers 0..10 or live engine names separated by "
                    "commas");
            }
        } else if (args.TakeValue("--depth", value)) {
            if (!args.Failed() &&
                (!ParseNumber(value, parsed.depth) || !IsDepthChoice(parsed.depth))) {
                args.Fail("--depth is 100..900 in hundreds, 1000, 5000 or 0 (all)");
            }
        } else if (TakeResultsOption(args, parsed.output)) {
            continue;
        } else if (!TakeProjectArgument(args, parsed.project)) {
            args.Fail("unknown option " + args.Current());
        }
    }
    return CheckProjectArgument(args, parsed.project);
}

bool AllHostsLoopback(const std::vector<EngineId>& engines) {
    const EngineHosts hosts = CurrentEngineHosts();
    for (EngineId id : engines) {
        if (!IsLoopbackHost(hosts.SearchHost(id))) {
            return false;
        }
    }
    return true;
}

std::string JoinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text.empty() ? std::string("none") : text;
}

// The live engines asked for, checked against the instance's list: kExitOk, or the exit code
// after one message. An instance that cannot give its list leaves them out when numbered engines
// remain to be searched.
int CheckLiveEngines(CliContext& context, PositionsArgs& parsed) {
    if (parsed.liveEngines.empty()) {
        return kExitOk;
    }
    const std::string instance = MetasearchInstance();
    if (instance.empty()) {
        CliError(context, "positions: live engines (" + JoinedNames(parsed.liveEngines) +
                              ") need --metasearch URL or SITEGAUGE_METASEARCH");
        return kExitUsage;
    }
    std::vector<std::string> offered;
    std::string problem;
    if (FetchLiveEngineList(instance, offered, problem) != kLiveOk) {
        if (parsed.engines.empty()) {
            CliError(context, "positions: " + TerminalUtf8Text(problem));
            return kExitFailed;
        }
        CliError(context,
                 "positions: " + TerminalUtf8Text(problem) + "; the live engines are left out");
        parsed.liveEngines.clear();
        return kExitOk;
    }
    for (const std::string& name : parsed.liveEngines) {
        if (std::find(offered.begin(), offered.end(), name) == offered.end()) {
            CliError(context, "positions: " + name +
                                  " is not an enabled general engine of the metasearch instance "
                                  "(it offers: " +
                                  TerminalUtf8Text(JoinedNames(offered)) + ")");
            return kExitUsage;
        }
    }
    return kExitOk;
}

int Run(CliContext& context) {
    CliArgs args(context.args);
    PositionsArgs parsed;
    if (!ParseArgs(args, parsed)) {
        return CliUsageError(context, "positions", args.Error());
    }

    Project& project = App().project;
    if (!LoadProjectArgument(context, "positions", parsed.project, project)) {
        return kExitUsage;
    }
    // The dialog's "Search" needs a site and a keyword.
    if (project.HasNoUrls() || project.KeywordCount() == 0) {
        CliError(context, std::string("positions: the project has no ") +
                              (project.HasNoUrls() ? "URLs" : "keywords"));
        return kExitUsage;
    }
    if (const int live = CheckLiveEngines(context, parsed); live != kExitOk) {
        return live;
    }
    if (AllHostsLoopback(parsed.engines)) {
        SetOnlineCheck([] { return true; });
    }
    if (!parsed.open) {
        SetDocumentOpener([](const std::string&) {});
    }

    FixedPositionRunInput dialog(project, parsed.depth);
    dialog.CheckOnly(parsed.engines);
    dialog.SetLiveEngines(parsed.liveEngines);
    CliPositionRunStatus status(context.err);
    PositionAnalyzerRun run(dialog, status);

    RunResults results;
    App().results = &results;
    CliInterrupt interrupt;
    run.Start();
    bool stopAsked = false;
    while (!run.WaitFor(std::chrono::milliseconds(50))) {
        if (!stopAsked && CliInterrupt::Requested()) {
            // The window's close command: the scraper confirms it at its next result item.
            status.CloseCommand();
            stopAsked = true;
        }
    }
    run.Wait();
    App().results = nullptr;

    switch (run.Outcome()) {
        case kPositionReportWritten:
            // The run writes without telling whether the folder took the file.
            if (!FileExists(run.ReportPath())) {
                CliError(context, "positions: the report could not be written");
                return kExitFailed;
            }
            if (!WriteResultsOutput(context, "positions", parsed.output, results,
                                    ResultsKind::Positions, project.GetName())) {
                return kExitFailed;
            }
            // The path exactly as it is on disk, as the other analyses print theirs.
            PrintReportPath(context, parsed.output, run.ReportPath());
            return kExitOk;
        case kPositionOffline:
            CliError(context, "positions: no internet connection");
            return kExitFailed;
        default:
            CliError(context, "positions: stopped, no report written");
            return kExitInterrupted;
    }
}

}  // namespace

CliCommand PositionsCommand() {
    return CliCommand{"positions", kUsage, &Run,
                      "0    the report was written (its path is the last line of stdout)\n"
                      "1    no internet connection (engine hosts not all on this machine), a\n"
                      "     metasearch instance that cannot list its engines when only live\n"
                      "     engines were asked for, or\n"
                      "     the report or a --json/--csv file could not be written\n"
                      "2    bad usage, a profile that cannot be read, a project without URLs or\n"
                      "     keywords, live engines without an instance or not offered by it\n"
                      "130  stopped with Ctrl-C; no report is written"};
}

}  // namespace sg
