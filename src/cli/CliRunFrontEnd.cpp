#include "cli/CliRunFrontEnd.h"

#include "cli/TerminalText.h"

namespace sg {

void CliRunFrontEnd::ShowMessage(const std::string& text, const std::string& /*caption*/,
                                 MessageIcon /*icon*/) {
    CliError(context_, TerminalText(text));
}

void CliRunFrontEnd::RunFinished(bool /*cancelled*/) {
    bar_.Finish();
}

}  // namespace sg
