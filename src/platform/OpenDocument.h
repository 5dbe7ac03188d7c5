#pragma once
// Shows a file (a report, a help page) with the user's program for its type.

#include <functional>
#include <string>

namespace sg {

// Starts `xdg-open path` (or, when that cannot start, `$BROWSER path`) without a shell and
// without waiting; the child is reaped in the background. Nothing is reported.
void OpenDocument(const std::string& path);

// Replaces what OpenDocument does (tests record the paths; the GUI may use its own opener).
// An empty function restores the default.
using DocumentOpener = std::function<void(const std::string&)>;
void SetDocumentOpener(DocumentOpener opener);

// The default opener, with the two program names to try; exposed so tests can run it with
// programs of their own. Returns whether a process was started.
bool LaunchDocumentViewer(const std::string& program, const std::string& fallbackProgram,
                          const std::string& path);

}  // namespace sg
