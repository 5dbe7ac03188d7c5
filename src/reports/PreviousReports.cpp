#include "reports/PreviousReports.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "model/PositionHistoryFiles.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::string_view kHtml = ".html";
// The words a nested readiness run's summary page has in its banner, near its top.
constexpr std::string_view kNestedBanner = "Search Engine Readiness (Nested)";
constexpr std::size_t kBannerBytes = 16 * 1024;

// Whether the first kBannerBytes of a summary page hold `banner`.
bool Says(const std::string& summaryPage, std::string_view banner) {
    std::ifstream in(summaryPage, std::ios::binary);
    std::string head(kBannerBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head.find(banner) != std::string::npos;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Newest first; at the same time, ascending by name without regard to letter case, names equal
// but for case in a fixed order.
bool NewestFirst(const PreviousReport& a, const PreviousReport& b) {
    if (a.when != b.when) {
        return a.when > b.when;
    }
    const std::size_t common = std::min(a.name.size(), b.name.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(LowerAnsi(a.name[i]));
        const auto y = static_cast<unsigned char>(LowerAnsi(b.name[i]));
        if (x != y) {
            return x < y;
        }
    }
    if (a.name.size() != b.name.size()) {
        return a.name.size() < b.name.size();
    }
    return a.name < b.name;
}

// A line's name must stay inside its folder, whatever a caller passes.
bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// The run folder's name of an analysis line: its text without the trailing ".html".
bool RunFolderName(std::string_view lineName, std::string_view& folder) {
    if (lineName.size() <= kHtml.size() ||
        lineName.substr(lineName.size() - kHtml.size()) != kHtml) {
        return false;
    }
    folder = lineName.substr(0, lineName.size() - kHtml.size());
    return IsPlainName(folder);
}

// "_MM_DD_YYYY[HH-MM-SS]": digits where the pattern has '9'.
bool IsReportStamp(std::string_view text) {
    constexpr std::string_view kPattern = "_99_99_9999[99-99-99]";
    if (text.size() != kPattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == '9' ? !digit : text[i] != kPattern[i]) {
            return false;
        }
    }
    return true;
}

bool IsRegularOrOther(const std::string& path, struct stat& st) {
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// The names of a folder's entries in listing order; empty when it cannot be read.
std::vector<std::filesystem::directory_entry> Entries(const std::string& folder) {
    std::vector<std::filesystem::directory_entry> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        entries.push_back(*it);
    }
    return entries;
}

}  // namespace

const std::string& PreviousReportFolder(const AppPaths& paths, PreviousReportTab tab) {
    switch (tab) {
        case PreviousReportTab::PositionAnalyzer:
            return paths.positionAnalyzerDir;
        case PreviousReportTab::EngineReadiness:
            return paths.readinessDir;
        case PreviousReportTab::LinkPopularity:
            return paths.linkPopularityDir;
        case PreviousReportTab::SiteAudit:
            return paths.siteAuditDir;
        case PreviousReportTab::LinkValidator:
            break;
    }
    return paths.linkValidatorDir;
}

std::vector<PreviousReport> ListPreviousReports(const AppPaths& paths, PreviousReportTab tab) {
    const std::string& folder = PreviousReportFolder(paths, tab);
    std::vector<PreviousReport> lines;
    if (folder.empty()) {
        return lines;
    }
    for (const auto& entry : Entries(folder)) {
        const std::string name = entry.path().filename().string();
        struct stat st {};
        if (tab == PreviousReportTab::PositionAnalyzer) {
            // The history page is no run's report; the dialog opens it with a button of its own.
            if (EndsWithNoCase(name, kHtml) && name != kPositionHistoryPageName &&
                IsRegularOrOther(folder + "/" + name, st)) {
                lines.push_back({name, ReportDateText(st.st_mtime), false, st.st_mtime, {}});
            }
            continue;
        }
        std::error_code error;
        if (!entry.is_directory(error)) {
            continue;
        }
        const std::string page = name + std::string(kHtml);
        const std::string path = folder + "/" + name + "/" + page;
        if (IsRegularOrOther(path, st)) {
            // Only a plain file is opened: a pipe named like a page would wait forever.
            const bool regular = S_ISREG(st.st_mode);
            lines.push_back(
                {page,
                 ReportDateText(st.st_mtime),
                 regular && tab == PreviousReportTab::EngineReadiness && Says(path, kNestedBanner),
                 st.st_mtime,
                 {},
                 regular && tab == PreviousReportTab::SiteAudit &&
                     Says(path, kNoSiteAnsweredBanner)});
        }
    }
    for (PreviousReport& line : lines) {
        line.title = PreviousReportTitle(line.name);
    }
    std::sort(lines.begin(), lines.end(), NewestFirst);
    return lines;
}

std::string PreviousReportFile(const AppPaths& paths, PreviousReportTab tab,
                               std::string_view lineName) {
    const std::string& folder = PreviousReportFolder(paths, tab);
    if (tab == PreviousReportTab::PositionAnalyzer) {
        return IsPlainName(lineName) ? folder + "/" + std::string(lineName) : std::string();
    }
    std::string_view run;
    if (!RunFolderName(lineName, run)) {
        return std::string();
    }
    return folder + "/" + std::string(run) + "/" + std::string(lineName);
}

std::string PreviousReportRunFile(const AppPaths& paths, PreviousReportTab tab,
                                  std::string_view lineName, std::string_view file) {
    std::string_view run;
    if (tab == PreviousReportTab::PositionAnalyzer || !RunFolderName(lineName, run)) {
        return std::string();
    }
    return PreviousReportFolder(paths, tab) + "/" + std::string(run) + "/" + std::string(file);
}

bool DeletePreviousReport(const AppPaths& paths, PreviousReportTab tab, std::string_view lineName) {
    const std::string& folder = PreviousReportFolder(paths, tab);
    if (tab == PreviousReportTab::PositionAnalyzer) {
        return IsPlainName(lineName) &&
               ::unlink((folder + "/" + std::string(lineName)).c_str()) == 0;
    }
    std::string_view run;
    return RunFolderName(lineName, run) && DeleteFolderTree(folder + "/" + std::string(run));
}

bool DeleteFolderTree(const std::string& path) {
    for (const auto& entry : Entries(path)) {
        const std::string child = path + "/" + entry.path().filename().string();
        std::error_code error;
        // A link to a folder is removed as a link: its target is not ours to delete.
        if (entry.is_directory(error) && !entry.is_symlink(error)) {
            DeleteFolderTree(child);
        } else if (::unlink(child.c_str()) != 0) {
            return false;
        }
    }
    return ::rmdir(path.c_str()) == 0;
}

std::string PreviousReportTitle(std::string_view name) {
    std::string_view title = name;
    if (EndsWithNoCase(title, kHtml)) {
        title.remove_suffix(kHtml.size());
    }
    constexpr std::size_t kStampSize = 21;
    if (title.size() > kStampSize && IsReportStamp(title.substr(title.size() - kStampSize))) {
        title.remove_suffix(kStampSize);
    }
    return std::string(title.empty() ? name : title);
}

std::string ReportDateText(std::time_t when) {
    struct tm local {};
    if (::localtime_r(&when, &local) == nullptr) {
        return std::string();
    }
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, "%c", &local);
    return std::string(text, length);
}

}  // namespace sg
