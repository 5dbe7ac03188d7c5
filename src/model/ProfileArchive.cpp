#include "model/ProfileArchive.h"

#include <algorithm>

#include "platform/Ansi.h"

namespace sg {
namespace {

// Longest string a profile may hold: its length must fit a 32-bit signed count.
constexpr std::uint64_t kMaxLength = 0x7FFFFFFF;
// Text is read in pieces of this size, so memory grows with the bytes that really arrive and
// never with a length the file merely claims.
constexpr std::size_t kChunk = 65536;
constexpr std::size_t kWideChunk = 8192;  // UTF-16 units

template <typename T>
void AppendLittleEndian(std::string& out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out += static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * i));
    }
}

}  // namespace

ProfileArchive::ProfileArchive() = default;

ProfileArchive::ProfileArchive(ProfileSource& source) : source_(&source) {}

void ProfileArchive::WriteCount(std::int32_t count) {
    AppendLittleEndian(bytes_, static_cast<std::uint32_t>(count));
}

void ProfileArchive::WriteString(std::string_view text) {
    const std::uint64_t length = text.size();
    if (length < 0xFF) {
        AppendLittleEndian(bytes_, static_cast<std::uint8_t>(length));
    } else {
        AppendLittleEndian(bytes_, std::uint8_t{0xFF});
        if (length < 0xFFFE) {
            AppendLittleEndian(bytes_, static_cast<std::uint16_t>(length));
        } else {
            AppendLittleEndian(bytes_, std::uint16_t{0xFFFF});
            if (length < 0xFFFFFFFF) {
                AppendLittleEndian(bytes_, static_cast<std::uint32_t>(length));
            } else {
                AppendLittleEndian(bytes_, std::uint32_t{0xFFFFFFFF});
                AppendLittleEndian(bytes_, length);
            }
        }
    }
    bytes_.append(text);
}

int ProfileArchive::ReadExact(char* dest, std::size_t size) {
    while (size > 0) {
        if (bufferPos_ == bufferEnd_) {
            if (size >= sizeof buffer_) {
                // A large piece goes straight to its destination.
                std::size_t n = source_->Read(dest, size);
                if (n < size) {
                    return kArchivePastEnd;
                }
                return kArchiveOk;
            }
            bufferPos_ = 0;
            bufferEnd_ = source_->Read(buffer_, sizeof buffer_);
            if (bufferEnd_ == 0) {
                return kArchivePastEnd;
            }
        }
        std::size_t n = std::min(size, bufferEnd_ - bufferPos_);
        std::copy_n(buffer_ + bufferPos_, n, dest);
        bufferPos_ += n;
        dest += n;
        size -= n;
    }
    return kArchiveOk;
}

template <typename T>
int ProfileArchive::ReadLittleEndian(T& value) {
    unsigned char raw[sizeof(T)];
    int result = ReadExact(reinterpret_cast<char*>(raw), sizeof raw);
    if (result != kArchiveOk) {
        return result;
    }
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        v |= static_cast<std::uint64_t>(raw[i]) << (8 * i);
    }
    value = static_cast<T>(v);
    return kArchiveOk;
}

int ProfileArchive::ReadCount(std::int32_t& count) {
    std::uint32_t raw = 0;
    int result = ReadLittleEndian(raw);
    if (result != kArchiveOk) {
        return result;
    }
    count = static_cast<std::int32_t>(raw);
    return count < 0 ? kArchiveBadFormat : kArchiveOk;
}

// 1 byte below 0xFF; else 16 bits below 0xFFFE; 0xFFFE marks UTF-16 text whose length follows
// in the same form (the marker may not repeat); 0xFFFF is followed by 32 bits, and 0xFFFFFFFF
// there by 64 bits.
int ProfileArchive::ReadLength(std::uint64_t& length, bool& wide) {
    wide = false;
    int result;
    for (;;) {
        std::uint8_t small = 0;
        if ((result = ReadLittleEndian(small)) != kArchiveOk) {
            return result;
        }
        if (small < 0xFF) {
            length = small;
            return kArchiveOk;
        }
        std::uint16_t medium = 0;
        if ((result = ReadLittleEndian(medium)) != kArchiveOk) {
            return result;
        }
        if (medium == 0xFFFE) {
            if (wide) {
                return kArchiveBadFormat;
            }
            wide = true;
            continue;
        }
        if (medium < 0xFFFF) {
            length = medium;
            return kArchiveOk;
        }
        break;
    }
    std::uint32_t large = 0;
    if ((result = ReadLittleEndian(large)) != kArchiveOk) {
        return result;
    }
    if (large < 0xFFFFFFFF) {
        length = large;
    } else if ((result = ReadLittleEndian(length)) != kArchiveOk) {
        return result;
    }
    return length > kMaxLength ? kArchiveBadFormat : kArchiveOk;
}

int ProfileArchive::ReadString(std::string& text) {
    text.clear();
    std::uint64_t length = 0;
    bool wide = false;
    int result = ReadLength(length, wide);
    if (result != kArchiveOk) {
        return result;
    }
    if (!wide) {
        while (length > 0) {
            std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunk));
            std::size_t old = text.size();
            text.resize(old + piece);
            if ((result = ReadExact(text.data() + old, piece)) != kArchiveOk) {
                return result;
            }
            length -= piece;
        }
        return kArchiveOk;
    }

    std::u16string units;
    char raw[kWideChunk * 2];
    while (length > 0) {
        std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(length, kWideChunk));
        if ((result = ReadExact(raw, piece * 2)) != kArchiveOk) {
            return result;
        }
        for (std::size_t i = 0; i < piece; ++i) {
            units += static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                           (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
        }
        length -= piece;
    }
    text = Utf16ToAnsi(units);
    return kArchiveOk;
}

}  // namespace sg
