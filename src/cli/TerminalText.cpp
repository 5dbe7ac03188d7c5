#include "cli/TerminalText.h"

#include "platform/Ansi.h"

namespace sg {

std::string TerminalText(std::string_view ansi) {
    const std::string utf8 = AnsiToUtf8(ansi);
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        // U+0080..U+009F: 0xC2 followed by 0x80..0x9F.
        if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            text += '?';
            ++i;
        } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
            text += '?';
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

}  // namespace sg
