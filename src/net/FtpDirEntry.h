#pragma once

namespace sg {

// One line of a directory listing, parsed. Fields a line does not carry keep these defaults.
struct FtpDirEntry {
    // The text up to the next blank: a name with blanks keeps only its first word.
    char name[256] = {};
    // Bytes; 0 for folders in the DOS form.
    long size = 0;
    int day = 1;
    int month = 1;
    int year = 0;
    // As listed: a 12-hour clock with AM/PM keeps its 1..12 hour.
    int hour = 0;
    int minute = 0;
    int isFolder = 0;
};

}  // namespace sg
