#include "net/Base64.h"

namespace sg {

std::string Base64Encode(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        out.push_back(kAlphabet[(group >> 18) & 63]);
        out.push_back(kAlphabet[(group >> 12) & 63]);
        out.push_back(kAlphabet[(group >> 6) & 63]);
        out.push_back(kAlphabet[group & 63]);
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) {
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        out.push_back(kAlphabet[(group >> 18) & 63]);
        out.push_back(kAlphabet[(group >> 12) & 63]);
        out.push_back(rest == 2 ? kAlphabet[(group >> 6) & 63] : '=');
        out.push_back('=');
    }
    return out;
}

}  // namespace sg
