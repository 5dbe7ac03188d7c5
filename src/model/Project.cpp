#include "model/Project.h"

#include <algorithm>

#include "model/ProfileArchive.h"
#include "model/ReportFileName.h"
#include "model/ReportStamp.h"
#include "model/ShortName.h"
#include "platform/Ansi.h"

namespace sg {

Project::Project() = default;
Project::~Project() = default;

UrlEntry* Project::GetUrl(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= urls_.size()) {
        return nullptr;
    }
    return urls_[static_cast<std::size_t>(index)].get();
}

const UrlEntry* Project::GetUrl(int index) const {
    return const_cast<Project*>(this)->GetUrl(index);
}

void Project::AddUrl(std::string_view url) {
    std::string base = ShortName(url);
    std::string lowerBase = ToLowerAnsi(base);
    std::string candidate = base;
    if (takenShortNames_.count(lowerBase) != 0) {
        int& counter = nextSuffix_[lowerBase];
        std::string lowerCandidate;
        do {
            candidate = base + std::to_string(counter);
            lowerCandidate = lowerBase + std::to_string(counter);
            ++counter;
        } while (takenShortNames_.count(lowerCandidate) != 0);
        takenShortNames_.insert(std::move(lowerCandidate));
    } else {
        takenShortNames_.insert(std::move(lowerBase));
    }
    urls_.push_back(std::make_unique<UrlEntry>(std::string(url), std::move(candidate)));
}

void Project::ClearUrls() {
    urls_.clear();
    takenShortNames_.clear();
    nextSuffix_.clear();
}

const std::string& Project::GetKeyword(int index) const {
    static const std::string kNone;
    if (index < 0 || static_cast<std::size_t>(index) >= keywords_.size()) {
        return kNone;
    }
    return keywords_[static_cast<std::size_t>(index)];
}

void Project::AddKeyword(std::string_view keyword) {
    keywords_.emplace_back(keyword);
}

void Project::ClearKeywords() {
    keywords_.clear();
}

void Project::SetName(std::string_view newName) {
    name_ = newName;
}

void Project::PrepareRunNames(std::string_view base) {
    PrepareRunNames(base, std::time(nullptr));
}

void Project::PrepareRunNames(std::string_view base, std::time_t when) {
    // The name becomes the run's folder and file names, which must stay in their folders.
    reportName_ = ReportFileName(base) + ReportStamp(when);
}

void Project::SetPageToOpen(std::string_view path) {
    pageToOpen_ = path;
}

void Project::RebuildKeywordScores() {
    keywordScores_.clear();
    std::unordered_map<std::string, std::size_t> position;
    for (const auto& entry : urls_) {
        for (int i = 0; i < entry->WordCount(); ++i) {
            const ScoredWord* item = entry->GetWord(i);
            std::string lower = ToLowerAnsi(item->word);
            auto [it, added] = position.emplace(lower, keywordScores_.size());
            if (added) {
                keywordScores_.push_back(KeywordScore{std::move(lower), 1, item->number});
            } else {
                KeywordScore& score = keywordScores_[it->second];
                ++score.siteCount;
                score.sum += item->number;
            }
        }
    }
    // Words are unique after the merge, so this is a total order and the sort is deterministic.
    std::sort(keywordScores_.begin(), keywordScores_.end(),
              [](const KeywordScore& a, const KeywordScore& b) {
                  if (a.siteCount != b.siteCount) {
                      return a.siteCount > b.siteCount;
                  }
                  if (a.sum != b.sum) {
                      return a.sum > b.sum;
                  }
                  return a.word < b.word;  // std::string compares bytes as unsigned
              });
}

int Project::Serialize(ProfileArchive& archive) {
    if (archive.IsStoring()) {
        Store(archive);
        return kArchiveOk;
    }
    return Load(archive);
}

void Project::Store(ProfileArchive& archive) const {
    archive.WriteCount(UrlCount());
    for (const auto& entry : urls_) {
        archive.WriteString(entry->GetUrl());
    }
    archive.WriteCount(KeywordCount());
    for (const std::string& keyword : keywords_) {
        archive.WriteString(keyword);
    }
    archive.WriteString(name_);
}

// Each list is cleared only once the read has got that far, and every item read before an error
// stays: that is what the user finds in the project after a damaged profile.
int Project::Load(ProfileArchive& archive) {
    std::int32_t urlCount = 0;
    int result = archive.ReadCount(urlCount);
    if (result != kArchiveOk) {
        return result;
    }
    ClearUrls();
    std::string text;
    for (std::int32_t i = 0; i < urlCount; ++i) {
        result = archive.ReadString(text);
        if (result != kArchiveOk) {
            return result;
        }
        AddUrl(text);
    }

    ClearKeywords();
    std::int32_t keywordCount = 0;
    result = archive.ReadCount(keywordCount);
    if (result != kArchiveOk) {
        return result;
    }
    for (std::int32_t i = 0; i < keywordCount; ++i) {
        result = archive.ReadString(text);
        if (result != kArchiveOk) {
            return result;
        }
        AddKeyword(text);
    }

    result = archive.ReadString(text);
    if (result != kArchiveOk) {
        return result;
    }
    SetName(text);
    return kArchiveOk;
}

}  // namespace sg
