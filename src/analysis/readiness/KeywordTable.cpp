#include "analysis/readiness/KeywordTable.h"

#include <string>

#include "analysis/readiness/DensityBar.h"
#include "model/AppState.h"
#include "model/Project.h"
#include "reports/ReportEscape.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

std::string TablePath(const Project& project, const UrlEntry* entry, bool nested) {
    const std::string folder = App().paths.readinessDir + "/" + project.GetReportName();
    if (entry == nullptr) {
        return folder + "/" + project.GetReportName() + ".html";
    }
    return folder + "/" + (nested ? entry->GetNestedReadinessFile() : entry->GetReadinessFile());
}

bool WriteHeaderRow(const std::string& path, const Project& project, const UrlEntry* entry) {
    // The closing font tag lacks its ">" in the page as it has always been shipped.
    if (!AppendLineOrStop(path,
                          "<tr><td bgcolor='#1c5584' align = 'center'><b><font size='2' color = "
                          "'white'>Key Words</font</b></td>")) {
        return false;
    }
    for (int i = 0; i < project.UrlCount(); ++i) {
        const UrlEntry* site = project.GetUrl(i);
        const std::string cell =
            std::string(site == entry
                            ? "<td bgcolor='#1c5584' width = '100'><font size='2' color = "
                              "'#80FFFF'><b>"
                            : "<td bgcolor='#1c5584' width = '100'><font size='2' color = "
                              "'white'><b>") +
            ReportText(site->UrlWithoutScheme()) + "</b></font></td>";
        if (!AppendLineOrStop(path, cell)) {
            return false;
        }
    }
    return AppendLineOrStop(path, "</tr>");
}

bool WriteWordRow(const std::string& path, const Project& project, const std::string& word) {
    if (!AppendLineOrStop(path, "<tr><td bgcolor = 'white'><font  size='2' color = '#1c5584'><b>" +
                                    ReportPageText(word) + "</b></font></td>")) {
        return false;
    }
    for (int i = 0; i < project.UrlCount(); ++i) {
        const ScoredWord* found = project.GetUrl(i)->FindWord(word);
        const double density = found != nullptr ? found->number : 0.0;
        if (!AppendLineOrStop(path, "<td><font size='2'>" + DensityBar(density) + "</font></td>")) {
            return false;
        }
    }
    return AppendLineOrStop(path, "</tr>");
}

}  // namespace

void WriteKeywordTable(const Project& project, const UrlEntry* entry, bool nested) {
    const std::string path = TablePath(project, entry, nested);
    const std::vector<KeywordScore>& scores = project.GetKeywordScores();
    if (scores.empty()) {
        AppendLinesOrStop(path, {"<p align = 'center'><font face='Verdana,Arial,Helvetica' "
                                 "size='2' color='red'><b>",
                                 "There are no tags found in all sites !", "</b></font></p>"});
        return;
    }
    if (!AppendLinesOrStop(
            path, {entry != nullptr ? "<table align = 'left' border='1' cellpadding='1' "
                                      "cellspacing='1' borderColor='#1c5584'>"
                                    : "<table align = 'center' border='1' cellpadding='1' "
                                      "cellspacing='1' borderColor='#1c5584'>",
                   "<caption align = 'center'><b><font face='Verdana,Arial,Helvetica' size=2 "
                   "color='#245885'>Keywords tags</font></caption>"}) ||
        !WriteHeaderRow(path, project, entry)) {
        return;
    }
    for (const KeywordScore& score : scores) {
        if (!WriteWordRow(path, project, score.word)) {
            return;
        }
    }
    AppendLineOrStop(path, "</table>");
}

}  // namespace sg
