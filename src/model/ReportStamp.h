#pragma once

#include <ctime>
#include <string>

namespace sg {

// The run's time stamp, "_MM_DD_YYYY[HH-MM-SS]" in local time, e.g. "_12_07_2026[03-55-10]".
std::string ReportStamp();
// The same for a given moment (local time) or a given broken-down time.
std::string ReportStamp(std::time_t when);
std::string ReportStamp(const std::tm& when);

}  // namespace sg
