#include "cli/CliCommands.h"

#include <vector>

#include "cli/AuditCommand.h"
#include "cli/DemoCommand.h"
#include "cli/FetchCommand.h"
#include "cli/FtpCommand.h"
#include "cli/LinksCommand.h"
#include "cli/PopularityCommand.h"
#include "cli/PositionsCommand.h"
#include "cli/ProfileCommand.h"
#include "cli/ReadinessCommand.h"

namespace sg {

std::span<const CliCommand> CliCommands() {
    static const std::vector<CliCommand> kCommands = {
        ProfileCommand(),    FetchCommand(),     FtpCommand(),
        ReadinessCommand(),  LinksCommand(),     AuditCommand(),
        PopularityCommand(), PositionsCommand(), DemoCommand(),
    };
    return kCommands;
}

const CliCommand* FindCliCommand(std::string_view name) {
    for (const CliCommand& command : CliCommands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace sg
