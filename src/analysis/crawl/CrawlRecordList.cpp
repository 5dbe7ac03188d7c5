#include "analysis/crawl/CrawlRecordList.h"

#include "html/Url.h"

namespace sg {

CrawlRecordList::Entry& CrawlRecordList::EntryOf(std::string_view link) {
    const AddressTable::Id id = keys_.Intern(Url::CompareKeyOf(link));
    if (id >= entries_.size()) {
        entries_.resize(id + 1);
    }
    return entries_[id];
}

const CrawlRecordList::Entry* CrawlRecordList::FindEntry(std::string_view link) const {
    const AddressTable::Id id = keys_.Find(Url::CompareKeyOf(link));
    return id == AddressTable::kNone ? nullptr : &entries_[id];
}

int CrawlRecordList::FindIndex(std::string_view link) const {
    const Entry* entry = FindEntry(link);
    return entry == nullptr ? -1 : entry->first;
}

std::optional<CrawlRecord> CrawlRecordList::Find(std::string_view link) const {
    const int n = FindIndex(link);
    if (n < 0) {
        return std::nullopt;
    }
    return records_.At(n);
}

void CrawlRecordList::Add(std::string_view fromPage, std::string_view link, LinkStatus status,
                          int httpStatus, LinkKind kind, BrokenBecause because) {
    Entry& entry = EntryOf(link);
    if (entry.first < 0) {
        entry.first = records_.Count();
    }
    records_.Add(fromPage, link, status, httpStatus, kind, because);
}

bool CrawlRecordList::Visited(std::string_view link) const {
    const Entry* entry = FindEntry(link);
    return entry != nullptr && entry->visited;
}

void CrawlRecordList::MarkVisited(std::string_view link) {
    EntryOf(link).visited = true;
}

bool CrawlRecordList::MarkKnown(std::string_view link) {
    Entry& entry = EntryOf(link);
    const bool first = !entry.known;
    entry.known = true;
    return first;
}

void CrawlRecordList::Clear() {
    records_.Clear();
    keys_.Clear();
    entries_ = decltype(entries_)();
}

LinkRecords CrawlRecordList::Take() {
    LinkRecords taken = std::move(records_);
    Clear();
    return taken;
}

}  // namespace sg
