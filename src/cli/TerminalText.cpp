#include "cli/TerminalText.h"

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {

std::string TerminalText(std::string_view ansi) {
    return ControlsAsQuestionMarks(AnsiToUtf8(ansi), true);
}

std::string TerminalUtf8Text(std::string_view utf8) {
    return ControlsAsQuestionMarks(utf8, true);
}

}  // namespace sg
