#include "cli/ProfileCommand.h"

#include "cli/CliArgs.h"
#include "cli/ExitCode.h"
#include "cli/TerminalText.h"
#include "model/AppState.h"
#include "model/ProfileFile.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "profile create FILE --name NAME [--url URL]... [--keyword WORD]...\n"
    "                 write a profile; URLs and keywords are kept in the order given\n"
    "profile show FILE\n"
    "                 print a profile's name, URLs (with their short names) and keywords";

int Create(CliContext& context, CliArgs& args) {
    std::string file;
    std::string name;
    bool haveName = false;
    std::vector<std::string> urls;
    std::vector<std::string> keywords;
    std::string value;
    while (!args.AtEnd() && !args.Failed()) {
        if (args.TakeValue("--name", value)) {
            if (haveName && !args.Failed()) {
                args.Fail("--name given twice");
            }
            haveName = true;
            name = value;
        } else if (args.TakeValue("--url", value)) {
            urls.push_back(value);
        } else if (args.TakeValue("--keyword", value)) {
            keywords.push_back(value);
        } else if (args.TakePositional(value)) {
            if (!file.empty()) {
                args.Fail("unexpected argument " + value);
            }
            file = value;
        } else {
            args.Fail("unknown option " + args.Current());
        }
    }
    if (args.Failed()) {
        return CliUsageError(context, "profile", "create: " + args.Error());
    }
    if (file.empty()) {
        return CliUsageError(context, "profile", "create: no FILE given");
    }
    if (!haveName) {
        return CliUsageError(context, "profile", "create: --name NAME is required");
    }

    // The same steps as the Project dialog: the project is rebuilt from what was typed.
    Project& project = App().project;
    project.ClearUrls();
    project.ClearKeywords();
    project.SetName(Utf8ToAnsi(name));
    for (const std::string& url : urls) {
        project.AddUrl(Utf8ToAnsi(url));
    }
    for (const std::string& keyword : keywords) {
        project.AddKeyword(Utf8ToAnsi(keyword));
    }
    if (SaveProfile(project, file) != kProfileOk) {
        CliError(context, "profile create: cannot write " + file);
        return kExitFailed;
    }
    return kExitOk;
}

int Show(CliContext& context, CliArgs& args) {
    std::string file;
    if (!args.TakePositional(file)) {
        return CliUsageError(
            context, "profile",
            args.AtEnd() ? "show: no FILE given" : "show: unknown option " + args.Current());
    }
    if (!args.AtEnd()) {
        return CliUsageError(context, "profile", "show: unexpected argument " + args.Current());
    }

    Project& project = App().project;
    std::string errorText;
    int result = LoadProfile(project, file, &errorText);
    if (result == kProfileCannotOpen) {
        CliError(context, "profile show: cannot open " + file);
        return kExitUsage;
    }
    if (result != kProfileOk) {
        // The message is ASCII around the path, and the path is already in the terminal's
        // encoding, so it is printed unconverted.
        context.err << errorText << '\n';
        return kExitUsage;
    }

    context.out << "name: " << TerminalText(project.GetName()) << '\n';
    for (int i = 0; i < project.UrlCount(); ++i) {
        const UrlEntry* entry = project.GetUrl(i);
        context.out << "url: " << TerminalText(entry->GetUrl())
                    << " (short name: " << TerminalText(entry->GetShortName()) << ")\n";
    }
    for (int i = 0; i < project.KeywordCount(); ++i) {
        context.out << "keyword: " << TerminalText(project.GetKeyword(i)) << '\n';
    }
    return kExitOk;
}

int Run(CliContext& context) {
    CliArgs args(context.args);
    std::string action;
    if (!args.TakePositional(action)) {
        return CliUsageError(context, "profile", "expected create or show");
    }
    if (action == "create") {
        return Create(context, args);
    }
    if (action == "show") {
        return Show(context, args);
    }
    return CliUsageError(context, "profile",
                         "unknown action " + action + " (expected create or show)");
}

}  // namespace

CliCommand ProfileCommand() {
    return CliCommand{"profile", kUsage, &Run,
                      "0    the profile was written or shown\n"
                      "1    the profile could not be written\n"
                      "2    bad usage, or a profile that is missing or cannot be read"};
}

}  // namespace sg
