#pragma once

#include <string>
#include <string_view>

namespace sg {

// A project name as the first part of a report's file or folder name: every "/" and NUL byte
// becomes "_", so that the name plus a report stamp is one name inside its report folder,
// whatever a profile holds ("../../x" stays ".._.._x"). Any other name comes out unchanged.
std::string ReportFileName(std::string_view name);

}  // namespace sg
