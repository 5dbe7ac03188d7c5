#pragma once
// The local date and time as report pages show it.

#include <ctime>
#include <string>

namespace sg {

// `when` in local time as "%c" writes it in the C locale ("Tue Dec  8 03:58:05 2026"),
// whatever locale the process runs in: the reports are iso-8859-1 and a locale's month names
// need not be. Empty when the time cannot be converted.
std::string LocalDateText(std::time_t when);

// `when` in local time as an ISO 8601 date-time without zone, "2026-12-08T03:58:05", which
// sorts as text in time order. Empty when the time cannot be converted.
std::string LocalIsoDateTime(std::time_t when);

}  // namespace sg
