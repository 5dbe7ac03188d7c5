#include "html/PageCharset.h"

#include "html/PageEncoding.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at `p` and its code point in `cp`; 0 when the
// bytes there are not one.
std::size_t DecodeUtf8(std::string_view text, std::size_t p, char32_t& cp) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[p + i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (p + length > text.size() || at(1) < low || at(1) > high) {
        return 0;
    }
    char32_t value = lead & (0xFF >> (length + 1));
    value = (value << 6) | (at(1) & 0x3F);
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(at(i))) {
            return 0;
        }
        value = (value << 6) | (at(i) & 0x3F);
    }
    cp = value;
    return length;
}

// The Windows-1252 byte of a code point, or -1 when it has none.
int Windows1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    // The bytes 0x80..0x9F that Windows-1252 defines stand for characters above 0xFF; an
    // undefined one stands for its own C1 control, which no page means.
    for (int byte = 0x80; byte <= 0x9F && cp > 0xFF; ++byte) {
        if (AnsiToCodePoint(static_cast<unsigned char>(byte)) == cp) {
            return byte;
        }
    }
    return -1;
}

}  // namespace

PageCharset DeclaredCharset(std::string_view contentTypeLine, std::string_view page) {
    return DecidePageEncoding(contentTypeLine, page).name == "UTF-8" ? PageCharset::Utf8
                                                                     : PageCharset::Windows1252;
}

std::size_t Utf8PrefixLength(std::string_view text) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    std::size_t p = 0;
    char32_t cp = 0;
    while (p < text.size()) {
        // Runs of ASCII, most of a page, eight bytes at a time.
        while (p + 8 <= text.size()) {
            std::uint64_t block = 0;
            std::memcpy(&block, text.data() + p, 8);
            if ((block & kHighBits) != 0) {
                break;
            }
            p += 8;
        }
        if (p >= text.size()) {
            break;
        }
        const std::size_t length = DecodeUtf8(text, p, cp);
        if (length == 0) {
            break;
        }
        p += length;
    }
    return p;
}

std::size_t CharacterCount(std::string_view text, PageCharset charset) {
    if (charset == PageCharset::Windows1252) {
        return text.size();
    }
    std::size_t count = 0;
    char32_t cp = 0;
    for (std::size_t p = 0; p < text.size(); ++count) {
        const std::size_t length = DecodeUtf8(text, p, cp);
        p += length == 0 ? 1 : length;
    }
    return count;
}

std::string_view CharacterPrefix(std::string_view text, std::size_t characters,
                                 PageCharset charset) {
    if (charset == PageCharset::Windows1252) {
        return text.substr(0, characters);
    }
    std::size_t p = 0;
    char32_t cp = 0;
    for (std::size_t count = 0; count < characters && p < text.size(); ++count) {
        const std::size_t length = DecodeUtf8(text, p, cp);
        p += length == 0 ? 1 : length;
    }
    return text.substr(0, p);
}

std::string ReportCharsetText(std::string_view text, PageCharset charset) {
    if (charset == PageCharset::Windows1252) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    char32_t cp = 0;
    for (std::size_t p = 0; p < text.size();) {
        const std::size_t length = DecodeUtf8(text, p, cp);
        if (length == 0) {
            out.push_back(text[p++]);
            continue;
        }
        p += length;
        const int byte = Windows1252Byte(cp);
        if (byte >= 0) {
            out.push_back(static_cast<char>(byte));
        } else {
            std::array<char, 12> digits{};
            const auto done = std::to_chars(digits.data(), digits.data() + digits.size(),
                                            static_cast<std::uint32_t>(cp));
            out.append("&#").append(digits.data(), done.ptr).push_back(';');
        }
    }
    return out;
}

std::string Utf8Text(std::string_view text, PageCharset charset) {
    std::string out;
    out.reserve(text.size());
    char32_t cp = 0;
    for (std::size_t p = 0; p < text.size();) {
        const auto byte = static_cast<unsigned char>(text[p]);
        const std::size_t length =
            charset == PageCharset::Utf8 ? DecodeUtf8(text, p, cp) : (byte < 0x80 ? 1 : 0);
        if (length == 0) {
            AppendUtf8(out, AnsiToCodePoint(byte));
            ++p;
        } else {
            out.append(text.substr(p, length));
            p += length;
        }
    }
    return out;
}

}  // namespace sg
