#pragma once
// Files and folders. Every operation reports success as a flag and never throws; callers that
// the design makes silent simply ignore it.

#include <sys/types.h>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace sg {

std::string CurrentDirectory();
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Creates one folder (not its parents). False when it exists already or cannot be created.
bool CreateFolder(const std::string& path);
// Creates the file (truncating an existing one) and writes `data` in one piece.
bool WriteWholeFile(const std::string& path, std::string_view data);
// Appends `data` to the file in one write on an append-only descriptor, creating the file if
// absent; when the file is empty (new), `header` goes in the same write before `data`. A
// concurrent appender's lines are never interleaved with these. False when the file cannot be
// opened or written.
bool AppendInOneWrite(const std::string& path, std::string_view header, std::string_view data);
// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& data);
// Writes `data` to a temporary file beside `path`, flushes it to disk and renames it over
// `path`, so a failed write never destroys the old file. The file gets `mode`. Creates no
// folders.
bool WriteFileAtomically(const std::string& path, std::string_view data, mode_t mode = 0644);
// Creates an empty file of a new name in the folder of `path`, for content that is to replace
// `path` only once it is whole: its name, or empty when it cannot be created. It gets the
// permissions of the file at `path` when there is one, else those a new file gets (0666 less
// the umask).
std::string CreateFileBeside(const std::string& path);
// Streams what `write` writes into a new file beside `path` (CreateFileBeside) that replaces
// `path` only once whole; `write` returns false when it could not make all of it. On any failure
// the new file is removed and `path` is as it was. True when `path` holds it all.
bool WriteFileReplacing(const std::string& path, const std::function<bool(std::ostream&)>& write);
// Renames `from` over `to`, in one step: true when done.
bool ReplaceFile(const std::string& from, const std::string& to);
// Deletes the file: true when done.
bool RemoveFile(const std::string& path);

}  // namespace sg
