#pragma once
// What the previous-reports browser lists, opens and deletes. It reads only the folder tree.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "model/AppPaths.h"
#include "reports/PreviousReport.h"
#include "reports/PreviousReportTab.h"

namespace sg {

// The words a Site Audit run's summary page has near its top when no site answered.
inline constexpr std::string_view kNoSiteAnsweredBanner = "No site answered: nothing was audited.";

// The data of a Site Audit run, beside its summary page: what Export in Previous Reports copies.
inline constexpr std::string_view kAuditDataJson = "results.json";
inline constexpr std::string_view kAuditDataCsv = "results.csv";

// The folder a tab lists.
const std::string& PreviousReportFolder(const AppPaths& paths, PreviousReportTab tab);

// The tab's lines, newest first (by their date; equal dates ascending by name without regard to
// letter case). Position Analyzer:
// every file (not folder) whose name ends in ".html" but the position history page. The analysis
// tabs: every sub-folder D that holds a file D + ".html"; a readiness run is marked nested when
// the first 16 KiB of that page name it so, a Site Audit run failed when they hold
// kNoSiteAnsweredBanner. A missing folder gives no lines.
std::vector<PreviousReport> ListPreviousReports(const AppPaths& paths, PreviousReportTab tab);

// The file "View" opens for a line: the file itself, or the summary page inside its run folder.
std::string PreviousReportFile(const AppPaths& paths, PreviousReportTab tab,
                               std::string_view lineName);

// A file of an analysis line's run folder (kAuditDataJson, say); empty for a Position Analyzer
// line or a name that is no run's.
std::string PreviousReportRunFile(const AppPaths& paths, PreviousReportTab tab,
                                  std::string_view lineName, std::string_view file);

// Deletes what a line stands for: the report file, or the whole run folder. True on success.
bool DeletePreviousReport(const AppPaths& paths, PreviousReportTab tab, std::string_view lineName);

// Deletes a folder with everything in it. A file that cannot be deleted stops the procedure at
// once (what was deleted before stays deleted); a sub-folder's own result is not looked at. The
// answer is whether the folder itself was removed. Symbolic links are deleted, never followed.
bool DeleteFolderTree(const std::string& path);

// A time as the "Date/Time" column shows it: local time through strftime's "%c".
std::string ReportDateText(std::time_t when);

// A line's title (PreviousReport::title) for the file name `name`.
std::string PreviousReportTitle(std::string_view name);

}  // namespace sg
