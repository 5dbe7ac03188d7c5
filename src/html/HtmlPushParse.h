#pragma once
// One run of libxml2's HTML push parser over a whole page: any length, its warnings and errors
// silenced, never the network.

#include <libxml/HTMLparser.h>

#include <string_view>

namespace sg {

// Feeds the page to `sax` with `user` as the parser's context; sax's warning, error and
// fatalError are set to print nothing. `encoding`, when not null, is the libxml2 name of the
// encoding the page is read in whatever it declares. False when no parser could be made (then
// no callback ran).
bool ParseHtmlPage(std::string_view page, htmlSAXHandler& sax, void* user, const char* encoding);

}  // namespace sg
