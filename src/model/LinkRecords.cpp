#include "model/LinkRecords.h"

namespace sg {

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

CrawlRecord LinkRecords::At(int n) const {
    const auto at = static_cast<std::size_t>(n);
    const Row& row = blocks_[at / kRowsPerBlock][at % kRowsPerBlock];
    return CrawlRecord{addresses_.At(row.fromPage),
                       addresses_.At(row.link),
                       static_cast<LinkStatus>(row.status),
                       row.httpStatus,
                       row.kind,
                       row.because};
}

void LinkRecords::Add(std::string_view fromPage, std::string_view link, LinkStatus status,
                      int httpStatus, LinkKind kind, BrokenBecause because) {
    const bool fits = httpStatus >= 0 && httpStatus <= INT16_MAX;
    // Both interned before a block is added, so a failure leaves the rows as they were.
    const AddressTable::Id from = addresses_.Intern(fromPage);
    const AddressTable::Id to = addresses_.Intern(link);
    if (count_ % kRowsPerBlock == 0) {
        blocks_.push_back(std::make_unique_for_overwrite<Row[]>(kRowsPerBlock));
    }
    blocks_.back()[count_ % kRowsPerBlock] = Row{from,
                                                 to,
                                                 static_cast<std::int16_t>(fits ? httpStatus : 0),
                                                 static_cast<std::uint8_t>(status),
                                                 kind,
                                                 because};
    ++count_;
}

void LinkRecords::Clear() {
    blocks_ = decltype(blocks_)();
    count_ = 0;
    addresses_.Clear();
}

}  // namespace sg
