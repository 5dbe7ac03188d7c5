#include "analysis/crawl/CrawlRecordList.h"

#include "html/Url.h"

namespace sg {

const CrawlRecord* CrawlRecordList::At(int n) const {
    if (n < 0 || n >= Count()) {
        return nullptr;
    }
    return &records_[static_cast<std::size_t>(n)];
}

int CrawlRecordList::FindIndex(std::string_view link) const {
    const auto found = byKey_.find(Url::CompareKeyOf(link));
    if (found == byKey_.end() || !found->second.hasRecord) {
        return -1;
    }
    return static_cast<int>(found->second.first);
}

const CrawlRecord* CrawlRecordList::Find(std::string_view link) const {
    return At(FindIndex(link));
}

void CrawlRecordList::Add(std::string_view fromPage, std::string_view link, LinkStatus status,
                          int httpStatus, LinkKind kind, BrokenBecause because) {
    Entry& entry = byKey_[Url::CompareKeyOf(link)];
    if (!entry.hasRecord) {
        entry.hasRecord = true;
        entry.first = records_.size();
    }
    records_.push_back(
        CrawlRecord{std::string(fromPage), std::string(link), status, httpStatus, kind, because});
}

const char* BrokenBecauseText(BrokenBecause because) {
    switch (because) {
        case BrokenBecause::NotOnTheWeb:
            return "not on the web: a file on the author's computer";
        case BrokenBecause::AddressTooLong:
            return "address too long";
        case BrokenBecause::Answer:
            break;
    }
    return "";
}

bool CrawlRecordList::Visited(std::string_view link) const {
    const auto found = byKey_.find(Url::CompareKeyOf(link));
    return found != byKey_.end() && found->second.visited;
}

void CrawlRecordList::MarkVisited(std::string_view link) {
    byKey_[Url::CompareKeyOf(link)].visited = true;
}

void CrawlRecordList::Clear() {
    records_.clear();
    byKey_.clear();
}

}  // namespace sg
