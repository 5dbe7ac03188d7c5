#include "cli/ProjectArgument.h"

#include "cli/TerminalText.h"
#include "html/UrlText.h"
#include "model/IsProjectReady.h"
#include "model/ProfileFile.h"
#include "platform/Ansi.h"

namespace sg {

bool TakeProjectArgument(CliArgs& args, ProjectArgument& project) {
    std::string value;
    if (args.TakeValue("--name", value)) {
        if (project.inline_ && !args.Failed()) {
            args.Fail("--name given twice");
        }
        project.inline_ = true;
        project.name = value;
    } else if (args.TakeValue("--url", value)) {
        project.urls.push_back(value);
    } else if (args.TakeValue("--keyword", value)) {
        project.keywords.push_back(value);
    } else if (args.TakePositional(value)) {
        if (!project.profile.empty()) {
            args.Fail("unexpected argument " + value);
        }
        project.profile = value;
    } else {
        return false;
    }
    return true;
}

bool CheckProjectArgument(CliArgs& args, const ProjectArgument& project) {
    if (args.Failed()) {
        return false;
    }
    if (!project.profile.empty() &&
        (project.inline_ || !project.urls.empty() || !project.keywords.empty())) {
        args.Fail("give a PROFILE or --name/--url/--keyword, not both");
    } else if (project.profile.empty() && !project.inline_) {
        args.Fail(project.urls.empty() && project.keywords.empty() ? "no PROJECT given"
                                                                   : "--name NAME is required");
    }
    return !args.Failed();
}

bool LoadProjectArgument(CliContext& context, std::string_view command,
                         const ProjectArgument& argument, Project& project) {
    if (argument.inline_) {
        project.SetName(Utf8ToAnsi(argument.name));
        for (const std::string& url : argument.urls) {
            project.AddUrl(StripHttpPrefix(Utf8ToAnsi(url)));
        }
        for (const std::string& keyword : argument.keywords) {
            project.AddKeyword(Utf8ToAnsi(keyword));
        }
        return true;
    }
    std::string errorText;
    const int loaded = LoadProfile(project, argument.profile, &errorText);
    if (loaded == kProfileCannotOpen) {
        CliError(context, std::string(command) + ": cannot open " + argument.profile);
        return false;
    }
    if (loaded != kProfileOk) {
        context.err << errorText << '\n';
        return false;
    }
    return true;
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
            return which + " (" + TerminalText(project.GetUrl(index)->GetUrl()) +
                   ") holds no \".\"";
        case kProjectNoShortName:
            return "the project name is empty or begins with \".\"";
        default:
            return {};
    }
}

}  // namespace sg
