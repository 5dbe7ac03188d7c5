#pragma once
// The Position Analyzer report: one HTML page per run, a head with the logo and the creation
// date, one table per keyword (a row per site, a column per checked engine) and the foot. The
// whole page is built in memory while the run goes on and written in one piece at its end, so
// a stopped run leaves no file behind.

#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engines/SitePosition.h"

namespace sg {

class PositionReport {
  public:
    // One engine column of a keyword table: its header and that engine's site list, one record
    // per site in the table's site order. A live engine's header is marked " (live)".
    struct Column {
        std::string_view header;
        const std::vector<SitePosition>* positions;
        bool live = false;
    };

    // dir + "/" + the project name ("AnalyzePos" when it is empty; "/" made "_" by
    // ReportFileName, so the file stays in dir) + stamp + ".html".
    static std::string PathFor(std::string_view dir, std::string_view projectName,
                               std::string_view stamp);
    // The creation date of the head: local time in the "%c" form.
    static std::string DateText(std::time_t when);

    void AppendHead(std::string_view appTitle, std::string_view date);
    // One table of width columns * 60 + 70. A column whose list is shorter than `sites` shows
    // the missing sites as not found; a site whose engine failed shows "failed" and the reason.
    void AppendKeywordTable(std::string_view keyword, std::span<const std::string> sites,
                            std::span<const Column> columns);
    // Once, under the last table: what "x" means for the run's depth (0: all pages), and,
    // when the tables have them, what "(live)" and a failed cell mean.
    void AppendLegend(int depth);
    void AppendFoot();

    const std::string& Text() const { return text_; }
    // Creates the file empty (replacing one of that name) and appends the whole text as one
    // report line.
    void WriteTo(const std::string& path) const;

  private:
    std::string text_;
    bool anyLive_ = false;
    bool anyFailed_ = false;
};

}  // namespace sg
