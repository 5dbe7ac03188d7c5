#include "model/PackedTexts.h"

namespace sg {

// Lengths are written 7 bits a byte, the high bit set on all but the last.
void PackedTexts::push_back(std::string_view text) {
    std::size_t length = text.size();
    while (length >= 0x80) {
        bytes_.push_back(static_cast<char>(0x80 | (length & 0x7f)));
        length >>= 7;
    }
    bytes_.push_back(static_cast<char>(length));
    bytes_.append(text);
    ++count_;
}

std::size_t PackedTexts::const_iterator::Length(std::size_t& start) const {
    std::size_t length = 0;
    int shift = 0;
    start = at_;
    for (;;) {
        const auto byte = static_cast<unsigned char>((*bytes_)[start++]);
        length |= static_cast<std::size_t>(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0) {
            return length;
        }
        shift += 7;
    }
}

std::string_view PackedTexts::const_iterator::operator*() const {
    std::size_t start = 0;
    const std::size_t length = Length(start);
    return std::string_view(*bytes_).substr(start, length);
}

PackedTexts::const_iterator& PackedTexts::const_iterator::operator++() {
    std::size_t start = 0;
    const std::size_t length = Length(start);
    at_ = start + length;
    return *this;
}

}  // namespace sg
