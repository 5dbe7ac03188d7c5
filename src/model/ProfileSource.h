#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace sg {

// Where the bytes of a profile being loaded come from.
class ProfileSource {
  public:
    virtual ~ProfileSource() = default;
    // Copies up to `size` bytes into `dest` and returns how many; fewer than asked only at the
    // end of the data (a read error counts as the end).
    virtual std::size_t Read(char* dest, std::size_t size) = 0;
};

// A profile held in memory; the bytes must outlive the source.
class MemoryProfileSource : public ProfileSource {
  public:
    explicit MemoryProfileSource(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Read(char* dest, std::size_t size) override {
        std::size_t n = std::min(size, bytes_.size() - offset_);
        std::memcpy(dest, bytes_.data() + offset_, n);
        offset_ += n;
        return n;
    }

  private:
    std::string_view bytes_;
    std::size_t offset_ = 0;
};

}  // namespace sg
