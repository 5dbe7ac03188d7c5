#include "model/UrlEntry.h"

#include "platform/Ansi.h"

namespace sg {

UrlEntry::UrlEntry(std::string address, std::string uniqueShortName)
    : url(std::move(address)), shortName(std::move(uniqueShortName)) {
    // One name for all three: each analysis writes it into its own run folder.
    linkValidatorFile = shortName + ".html";
    readinessFile = linkValidatorFile;
    nestedReadinessFile = linkValidatorFile;
}

UrlEntry::~UrlEntry() = default;

std::string UrlEntry::UrlWithoutScheme() const {
    constexpr std::string_view kScheme = "http://";
    std::string out = url;
    std::size_t pos = out.find(kScheme);
    if (pos != std::string::npos) {
        out.erase(pos, kScheme.size());
    }
    return out;
}

ScoredWord* UrlEntry::GetWord(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= words.size()) {
        return nullptr;
    }
    return words[static_cast<std::size_t>(index)].get();
}

const ScoredWord* UrlEntry::GetWord(int index) const {
    return const_cast<UrlEntry*>(this)->GetWord(index);
}

ScoredWord* UrlEntry::FindWord(std::string_view word) {
    auto it = firstWordIndex.find(ToLowerAnsi(word));
    return it == firstWordIndex.end() ? nullptr : words[it->second].get();
}

const ScoredWord* UrlEntry::FindWord(std::string_view word) const {
    return const_cast<UrlEntry*>(this)->FindWord(word);
}

void UrlEntry::AddWord(std::string_view word, double number) {
    // emplace keeps an existing key, so the index keeps pointing at the first item.
    firstWordIndex.emplace(ToLowerAnsi(word), words.size());
    words.push_back(std::make_unique<ScoredWord>(std::string(word), number));
}

void UrlEntry::ClearWords() {
    words.clear();
    firstWordIndex.clear();
}

}  // namespace sg
