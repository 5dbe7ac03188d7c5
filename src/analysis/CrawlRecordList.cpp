#include "analysis/CrawlRecordList.h"

#include "model/ProgressSink.h"

#include "platform/Ansi.h"

namespace sg {

const CrawlRecord* CrawlRecordList::At(int n) const {
    if (n < 0 || n >= Count()) {
        return nullptr;
    }
    return records_[static_cast<std::size_t>(n)].get();
}

namespace {

// A link written absolute ("http://host/a") and the same link resolved ("host/a") are one link.
std::string LinkKey(std::string_view link) {
    std::string key = ToLowerAnsi(link);
    if (key.starts_with("http://")) {
        key.erase(0, 7);
    }
    return key;
}

}  // namespace

const CrawlRecord* CrawlRecordList::Find(std::string_view link) const {
    const auto found = firstByLink_.find(LinkKey(link));
    if (found == firstByLink_.end()) {
        return nullptr;
    }
    return records_[found->second].get();
}

void CrawlRecordList::Add(std::string_view fromPage, std::string_view link, LinkStatus status) {
    auto record = std::make_unique<CrawlRecord>();
    record->fromPage = std::string(fromPage);
    record->link = std::string(link);
    record->status = status;
    // try_emplace keeps the index of the first record for a link.
    firstByLink_.try_emplace(LinkKey(link), records_.size());
    records_.push_back(std::move(record));
}

void CrawlRecordList::Clear() {
    records_.clear();
    firstByLink_.clear();
}

CrawlRecordList& CrawlRecords() {
    static CrawlRecordList list;
    return list;
}

int RecordCount() {
    return CrawlRecords().Count();
}

const CrawlRecord* RecordAt(int n) {
    return CrawlRecords().At(n);
}

const CrawlRecord* FindRecord(std::string_view link) {
    return CrawlRecords().Find(link);
}

void AddRecord(std::string_view fromPage, std::string_view link, LinkStatus status) {
    CrawlRecords().Add(fromPage, link, status);
    CountProgress(ProgressCount::LinkChecked);
}

void ClearRecords() {
    CrawlRecords().Clear();
}

}  // namespace sg
