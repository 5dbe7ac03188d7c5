#pragma once
// Files compiled into the program (generated at build time from resources/).

#include <string_view>

namespace sg::resources {
extern const std::string_view toplogo_gif;  // the report logo
extern const std::string_view clear_gif;    // the transparent 1x1 spacer
extern const std::string_view index_html;   // tutorial/index.html
extern const std::string_view help_html;    // tutorial/help.html
}  // namespace sg::resources
