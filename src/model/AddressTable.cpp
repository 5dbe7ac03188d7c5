#include "model/AddressTable.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace sg {

namespace {

// Texts share blocks of this size; a longer one gets a block of its own.
constexpr std::size_t kBlockBytes = 64 * 1024;

std::size_t HashOf(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

}  // namespace

std::size_t AddressTable::SlotOf(std::string_view text) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = HashOf(text) & mask;
    while (slots_[slot] != 0 && texts_[slots_[slot] - 1] != text) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

AddressTable::Id AddressTable::Find(std::string_view text) const {
    if (slots_.empty()) {
        return kNone;
    }
    const Id held = slots_[SlotOf(text)];
    return held == 0 ? kNone : held - 1;
}

AddressTable::Id AddressTable::Intern(std::string_view text) {
    if ((texts_.size() + 1) * 2 > slots_.size()) {
        Grow();
    }
    const std::size_t slot = SlotOf(text);
    if (slots_[slot] != 0) {
        return slots_[slot] - 1;
    }
    texts_.push_back(Store(text));
    slots_[slot] = static_cast<Id>(texts_.size());
    return static_cast<Id>(texts_.size() - 1);
}

void AddressTable::Grow() {
    slots_.assign(slots_.empty() ? 1024 : slots_.size() * 2, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t n = 0; n < texts_.size(); ++n) {
        std::size_t slot = HashOf(texts_[n]) & mask;
        while (slots_[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        slots_[slot] = static_cast<Id>(n + 1);
    }
}

std::string_view AddressTable::Store(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    if (text.size() > blockLeft_) {
        const std::size_t size = std::max(text.size(), kBlockBytes);
        blocks_.push_back(std::make_unique<char[]>(size));
        blockNext_ = blocks_.back().get();
        blockLeft_ = size;
    }
    std::memcpy(blockNext_, text.data(), text.size());
    const std::string_view stored(blockNext_, text.size());
    blockNext_ += text.size();
    blockLeft_ -= text.size();
    return stored;
}

AddressTable& AddressTable::operator=(AddressTable&& other) noexcept {
    if (this != &other) {
        texts_ = std::exchange(other.texts_, {});
        slots_ = std::exchange(other.slots_, {});
        blocks_ = std::exchange(other.blocks_, {});
        blockLeft_ = std::exchange(other.blockLeft_, 0);
        blockNext_ = std::exchange(other.blockNext_, nullptr);
    }
    return *this;
}

void AddressTable::Clear() {
    // Assigned, not cleared: a cleared vector keeps its room.
    texts_ = decltype(texts_)();
    slots_ = decltype(slots_)();
    blocks_.clear();
    blockLeft_ = 0;
    blockNext_ = nullptr;
}

}  // namespace sg
