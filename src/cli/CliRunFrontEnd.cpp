#include "cli/CliRunFrontEnd.h"

#include "platform/Ansi.h"

namespace sg {

void CliRunFrontEnd::ShowMessage(const std::string& text, const std::string& /*caption*/,
                                 MessageIcon /*icon*/) {
    CliError(context_, AnsiToUtf8(text));
}

void CliRunFrontEnd::RunFinished(bool /*cancelled*/) {
    bar_.Finish();
}

}  // namespace sg
