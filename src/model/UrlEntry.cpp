#include "model/UrlEntry.h"

#include "platform/Ansi.h"

namespace sg {

UrlEntry::UrlEntry(std::string address, std::string uniqueShortName)
    : url_(std::move(address)), shortName_(std::move(uniqueShortName)) {
    // One name for all three: each analysis writes it into its own run folder.
    linkValidatorFile_ = shortName_ + ".html";
    readinessFile_ = linkValidatorFile_;
    nestedReadinessFile_ = linkValidatorFile_;
}

UrlEntry::~UrlEntry() = default;

std::string UrlEntry::UrlWithoutScheme() const {
    constexpr std::string_view kScheme = "http://";
    std::string out = url_;
    std::size_t pos = out.find(kScheme);
    if (pos != std::string::npos) {
        out.erase(pos, kScheme.size());
    }
    return out;
}

ScoredWord* UrlEntry::GetWord(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= words_.size()) {
        return nullptr;
    }
    return words_[static_cast<std::size_t>(index)].get();
}

const ScoredWord* UrlEntry::GetWord(int index) const {
    return const_cast<UrlEntry*>(this)->GetWord(index);
}

ScoredWord* UrlEntry::FindWord(std::string_view word) {
    auto it = firstWordIndex_.find(ToLowerAnsi(word));
    return it == firstWordIndex_.end() ? nullptr : words_[it->second].get();
}

const ScoredWord* UrlEntry::FindWord(std::string_view word) const {
    return const_cast<UrlEntry*>(this)->FindWord(word);
}

void UrlEntry::AddWord(std::string_view word, double number) {
    // emplace keeps an existing key, so the index keeps pointing at the first item.
    firstWordIndex_.emplace(ToLowerAnsi(word), words_.size());
    words_.push_back(std::make_unique<ScoredWord>(std::string(word), number));
}

void UrlEntry::ClearWords() {
    words_.clear();
    firstWordIndex_.clear();
}

}  // namespace sg
