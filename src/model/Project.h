#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/KeywordScore.h"
#include "model/UrlEntry.h"

namespace sg {

class ProfileArchive;

// What the user works on (a name, site URLs, keywords) plus the state of the current analysis
// run. No operation fails: an index out of range reads as nullptr or the empty string.
class Project {
  public:
    Project();
    ~Project();
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    int UrlCount() const { return static_cast<int>(urls_.size()); }
    bool HasNoUrls() const { return urls_.empty(); }
    UrlEntry* GetUrl(int index);
    const UrlEntry* GetUrl(int index) const;
    // Appends an entry for `url` (stored unchanged) with a short name that no other entry has,
    // compared without regard to letter case: ShortName(url), else that name followed by 0, 1, ...
    void AddUrl(std::string_view url);
    void ClearUrls();

    int KeywordCount() const { return static_cast<int>(keywords_.size()); }
    const std::string& GetKeyword(int index) const;
    void AddKeyword(std::string_view keyword);
    void ClearKeywords();

    const std::string& GetName() const { return name_; }
    void SetName(std::string_view newName);

    // reportName = base + the report stamp of now (or of `when`), with every "/" of base made
    // "_" (ReportFileName), so that it names one file or folder.
    void PrepareRunNames(std::string_view base);
    void PrepareRunNames(std::string_view base, std::time_t when);
    const std::string& GetReportName() const { return reportName_; }

    const std::string& GetPageToOpen() const { return pageToOpen_; }
    void SetPageToOpen(std::string_view path);

    // Merges the words of every entry, lower-cased, into keywordScores, then orders it: higher
    // site count first, then higher sum, then ascending bytes.
    void RebuildKeywordScores();
    const std::vector<KeywordScore>& GetKeywordScores() const { return keywordScores_; }

    // Writes the profile form when the archive is storing, else reads it into this project.
    // Returns the archive's result code (0 on success); what was read before an error stays.
    int Serialize(ProfileArchive& archive);
    // The storing half of Serialize, usable on a const project.
    void Store(ProfileArchive& archive) const;

    // The current run's selection, overwritten at the start of every run. selectedCount counts
    // the readiness, Link Validator and Link Popularity analyses; the nested option does not.
    std::int32_t selectedCount = 0;
    bool readinessSelected = false;
    bool nestedSelected = false;
    bool linkPopularitySelected = false;
    bool linkValidatorSelected = false;
    // How the run's crawls treat the sites: robots.txt ignored on the own site (the first URL;
    // never on a competitor's), and at most this many requests per second to one host (0: as
    // many as the connections allow).
    bool ignoreOwnRobots = false;
    std::int32_t requestsPerSecond = 0;
    // The run's pages were loaded in a browser (after their scripts).
    bool renderPages = false;

  private:
    int Load(ProfileArchive& archive);

    std::vector<std::unique_ptr<UrlEntry>> urls_;
    std::vector<std::string> keywords_;
    std::string reportName_;
    std::string pageToOpen_;
    std::vector<KeywordScore> keywordScores_;
    std::string name_;

    // Lower-cased short names in use, and per lower-cased base name the first counter not yet
    // known to be taken. Names are only ever removed all at once (ClearUrls), so the counters
    // below the hint stay taken and AddUrl need not try them again.
    std::unordered_set<std::string> takenShortNames_;
    std::unordered_map<std::string, int> nextSuffix_;
};

}  // namespace sg
