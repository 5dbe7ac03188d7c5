#pragma once
// A few short texts kept end to end in one string, each after its length: a page's resource
// addresses or an answer's head lines cost one allocation together, not one each. Read back in
// order as views, valid until the next change.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace sg {

class PackedTexts {
  public:
    PackedTexts() = default;
    PackedTexts(std::initializer_list<std::string_view> texts) {
        for (const std::string_view text : texts) {
            push_back(text);
        }
    }
    template <class Range>
    explicit PackedTexts(const Range& texts) {
        for (const auto& text : texts) {
            push_back(text);
        }
    }

    void push_back(std::string_view text);
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Gives back the room a growing string keeps spare.
    void Shrink() { bytes_.shrink_to_fit(); }

    class const_iterator {
      public:
        std::string_view operator*() const;
        const_iterator& operator++();
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

      private:
        friend class PackedTexts;
        const_iterator(const std::string* bytes, std::size_t at) : bytes_(bytes), at_(at) {}
        // The text's length and where it starts.
        std::size_t Length(std::size_t& start) const;
        const std::string* bytes_;
        std::size_t at_;
    };
    const_iterator begin() const { return {&bytes_, 0}; }
    const_iterator end() const { return {&bytes_, bytes_.size()}; }

  private:
    std::string bytes_;
    std::size_t count_ = 0;
};

}  // namespace sg
