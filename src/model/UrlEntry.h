#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/LinkCounts.h"
#include "model/ScoredWord.h"

namespace sg {

// One site of the project: its address as stored, its unique short name, the report file names
// derived from it, and the scored words of its page filled in by the readiness analysis.
class UrlEntry {
  public:
    UrlEntry(std::string address, std::string uniqueShortName);
    // Entries are owned and deleted through the project's list.
    virtual ~UrlEntry();
    UrlEntry(const UrlEntry&) = delete;
    UrlEntry& operator=(const UrlEntry&) = delete;

    const std::string& GetUrl() const { return url_; }
    const std::string& GetShortName() const { return shortName_; }
    const std::string& GetLinkValidatorFile() const { return linkValidatorFile_; }
    const std::string& GetReadinessFile() const { return readinessFile_; }
    const std::string& GetNestedReadinessFile() const { return nestedReadinessFile_; }

    // `url` with its first "http://" removed, if it has one.
    std::string UrlWithoutScheme() const;

    int WordCount() const { return static_cast<int>(words_.size()); }
    // The item at `index`, or nullptr when the index is out of range.
    ScoredWord* GetWord(int index);
    const ScoredWord* GetWord(int index) const;
    // The first item whose word equals `word` without regard to letter case, or nullptr.
    ScoredWord* FindWord(std::string_view word);
    const ScoredWord* FindWord(std::string_view word) const;
    void AddWord(std::string_view word, double number);
    void ClearWords();

    // The counts of the last Link Validator crawl of this site in this run; none before one.
    const std::optional<LinkCounts>& GetLinkCounts() const { return linkCounts_; }
    void SetLinkCounts(std::optional<LinkCounts> counts) { linkCounts_ = counts; }

  private:
    std::optional<LinkCounts> linkCounts_;
    std::vector<std::unique_ptr<ScoredWord>> words_;
    std::string url_;
    std::string shortName_;
    std::string linkValidatorFile_;
    std::string readinessFile_;
    std::string nestedReadinessFile_;
    // Lower-cased word -> index of its first item, so that FindWord does not scan the page's
    // whole word list for every word the analysis adds.
    std::unordered_map<std::string, std::size_t> firstWordIndex_;
};

}  // namespace sg
