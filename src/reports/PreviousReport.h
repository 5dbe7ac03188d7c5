#pragma once

#include <ctime>
#include <string>

namespace sg {

// One line of a previous-reports list.
struct PreviousReport {
    // A Position Analyzer report's file name, or a run's summary page name (the run folder's
    // name + ".html"). Bytes as they stand in the folder.
    std::string name;
    // The "Date/Time" column: the report file's last-write time, local, as "%c" gives it in the
    // current locale (and in that locale's encoding).
    std::string dateText;
    // A Search Engine Readiness run made with the Nested Check (its summary page says so).
    bool nested = false;
    // That last-write time: the lines are listed newest first.
    std::time_t when = 0;
    // The "Reports" column: the name without ".html" and without the run's time stamp
    // ("_MM_DD_YYYY[HH-MM-SS]") at its end, which the date column says better; the name itself
    // where nothing would be left.
    std::string title;
    // A Site Audit run in which no site answered (its summary page says so).
    bool failed = false;
};

}  // namespace sg
