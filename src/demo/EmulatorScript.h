#pragma once
// A text form of the emulator's configuration, for running it outside the tests (the demo).
// One instruction per line, fields separated by tabs; empty lines and lines starting with "#"
// are skipped. ENGINE is an EngineId number 0..10, or "all".
//
//   results <TAB> ENGINE <TAB> KEYWORD <TAB> ADDRESS [<TAB> ADDRESS]...
//   total   <TAB> ENGINE <TAB> KEYWORD <TAB> NUMBER
//   next    <TAB> ENGINE <TAB> KEYWORD <TAB> auto | always | never
//   link    <TAB> ENGINE <TAB> SITE    <TAB> COUNT TEXT
//   fail    <TAB> ENGINE

#include <string>
#include <string_view>

#include "demo/EngineEmulator.h"

namespace sg {

// Applies every line to the emulator. 0 when all were understood; otherwise the number of the
// first line that was not (lines before it are applied, later ones are not), with `error`
// saying why.
int LoadEmulatorScript(EngineEmulator& emulator, std::string_view text, std::string& error);

}  // namespace sg
