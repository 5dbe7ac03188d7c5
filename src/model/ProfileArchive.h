#pragma once
// The byte layout of profile files: little-endian 32-bit counts and length-prefixed 8-bit
// strings (the loader also takes the UTF-16 form). Nothing throws; reads answer a result code.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/ProfileSource.h"

namespace sg {

inline constexpr int kArchiveOk = 0;
// The data ended inside a field.
inline constexpr int kArchivePastEnd = 1;
// A field no profile can hold: a negative count, a length of 2^31 or more, a doubled UTF-16
// marker.
inline constexpr int kArchiveBadFormat = 2;

class ProfileArchive {
  public:
    // A storing archive: what is written collects in Bytes().
    ProfileArchive();
    // A loading archive reading from `source`, which must outlive it.
    explicit ProfileArchive(ProfileSource& source);
    ProfileArchive(const ProfileArchive&) = delete;
    ProfileArchive& operator=(const ProfileArchive&) = delete;

    bool IsStoring() const { return source_ == nullptr; }

    void WriteCount(std::int32_t count);
    // Always the 8-bit form, with the shortest length prefix.
    void WriteString(std::string_view text);
    const std::string& Bytes() const { return bytes_; }

    // A count below zero is kArchiveBadFormat.
    int ReadCount(std::int32_t& count);
    // 8-bit text as it is; UTF-16 text converted to Windows-1252 ("?" where it has no form).
    int ReadString(std::string& text);

  private:
    int ReadExact(char* dest, std::size_t size);
    template <typename T>
    int ReadLittleEndian(T& value);
    int ReadLength(std::uint64_t& length, bool& wide);

    ProfileSource* source_ = nullptr;
    std::string bytes_;
    // Read-ahead, so that small fields do not each cost a call into the source.
    char buffer_[4096];
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
};

}  // namespace sg
