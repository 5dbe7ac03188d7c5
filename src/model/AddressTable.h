#pragma once
// A run's addresses, each text stored once and named by a number: records and indexes keep the
// 4-byte number instead of a string of their own. Lookups and additions cost O(1) on average;
// a text's view stays valid until Clear (texts are kept in blocks that never move).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace sg {

class AddressTable {
  public:
    using Id = std::uint32_t;
    // What Find answers for a text not in the table.
    static constexpr Id kNone = UINT32_MAX;

    AddressTable() = default;
    // A table moved from is left empty and usable (its block pointer must not follow the blocks).
    AddressTable(AddressTable&& other) noexcept { *this = std::move(other); }
    AddressTable& operator=(AddressTable&& other) noexcept;

    // The number of `text`, added when new.
    Id Intern(std::string_view text);
    // The number of `text`, or kNone.
    Id Find(std::string_view text) const;
    // The text of a number Intern gave.
    std::string_view At(Id id) const { return texts_[id]; }
    std::size_t Count() const { return texts_.size(); }
    void Clear();

  private:
    // The slot of `text`: where it is, or the empty slot where it would go.
    std::size_t SlotOf(std::string_view text) const;
    void Grow();
    std::string_view Store(std::string_view text);

    std::vector<std::string_view> texts_;
    // Open addressing: Id + 1 of the text in each slot, 0 for empty; at most half full.
    std::vector<Id> slots_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockLeft_ = 0;
    char* blockNext_ = nullptr;
};

}  // namespace sg
