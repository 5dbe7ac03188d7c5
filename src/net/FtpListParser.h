#pragma once
// The two listing-line forms CFtpAgent understands, as free functions so that they can be tested
// and fuzzed without a connection. Both start from a default entry and fill what the line holds;
// a missing field keeps its default and a number that cannot be read counts as 0. Any bytes are
// accepted.

#include <string_view>

#include "net/FtpDirEntry.h"

namespace sg {

// "drwxr-xr-x 2 owner group 4096 Mar  3 10:07 name": tokens 4 to 8 on runs of blanks. A time in
// token 7 means the file is from `currentYear`; otherwise token 7 is the year.
void ParseUnixListLine(std::string_view line, int currentYear, FtpDirEntry& entry);

// "03-15-04  09:30PM       <DIR>          name": date, time, size or the DIR marker, name.
void ParseDosListLine(std::string_view line, FtpDirEntry& entry);

// The local calendar year now, for the time form of Unix lines.
int CurrentLocalYear();

}  // namespace sg
