#pragma once
// The results JSON built whole in memory and dumped at once, as the program wrote it before it
// wrote the records one by one: the bytes the written files must keep.

#include <string>
#include <string_view>

#include "app/ResultsKind.h"
#include "model/RunResults.h"

namespace sg::test {

// The document as one nlohmann dump (indent 2, bad UTF-8 replaced, DEL and C1 escaped, a line
// end after it).
std::string WholeDocumentJson(const RunResults& results, ResultsKind kind,
                              std::string_view project);

}  // namespace sg::test
