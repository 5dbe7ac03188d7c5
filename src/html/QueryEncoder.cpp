#include "html/QueryEncoder.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace sg {
namespace {

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendPercent(std::string& out, unsigned char byte) {
    out.push_back('%');
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
}

// The URL Standard's special-query percent-encode set, and "\" and "%", which a second byte
// of Shift_JIS or Big5 may be and the resolver would read as "/" or an escape.
bool IsEncodedInQuery(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F || byte == '"' || byte == '#' || byte == '<' ||
           byte == '>' || byte == '\'' || byte == '\\' || byte == '%';
}

// The length of the UTF-8 sequence a lead byte starts (the parser's text is well-formed).
std::size_t SequenceLength(unsigned char lead) {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

char32_t CodePoint(std::string_view character) {
    const auto lead = static_cast<unsigned char>(character.front());
    char32_t value = character.size() == 1 ? lead : lead & (0x7F >> character.size());
    for (std::size_t i = 1; i < character.size(); ++i) {
        value = (value << 6) | (static_cast<unsigned char>(character[i]) & 0x3F);
    }
    return value;
}

}  // namespace

QueryEncoder::QueryEncoder(std::string_view encoding)
    : utf8_(encoding == "UTF-8" || encoding.starts_with("UTF-16")), encoding_(encoding) {}

QueryEncoder::~QueryEncoder() {
    if (encoder_ != kNone) {
        iconv_close(encoder_);
    }
}

bool QueryEncoder::AppendEncoded(std::string_view character) {
    if (encoder_ == kNone) {
        encoder_ = iconv_open(encoding_.c_str(), "UTF-8");
        if (encoder_ == kNone) {
            return false;
        }
    }
    std::array<char, 16> bytes{};
    char* in = const_cast<char*>(character.data());
    std::size_t inLeft = character.size();
    char* out = bytes.data();
    std::size_t outLeft = bytes.size();
    const bool done =
        iconv(encoder_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
        iconv(encoder_, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
    if (!done) {
        iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
        return false;
    }
    for (const char* b = bytes.data(); b < out; ++b) {
        if (IsEncodedInQuery(static_cast<unsigned char>(*b))) {
            AppendPercent(encoded_, static_cast<unsigned char>(*b));
        } else {
            encoded_.push_back(*b);
        }
    }
    return true;
}

std::string_view QueryEncoder::Encode(std::string_view reference) {
    if (utf8_) {
        return reference;
    }
    const std::size_t query = reference.find('?');
    if (query == std::string_view::npos || query > reference.find('#')) {
        return reference;
    }
    const std::size_t queryEnd = std::min(reference.find('#', query), reference.size());
    std::size_t at = query;
    while (at < queryEnd && static_cast<unsigned char>(reference[at]) < 0x80) {
        ++at;
    }
    if (at == queryEnd) {
        return reference;
    }
    encoded_.assign(reference.substr(0, at));
    while (at < queryEnd) {
        const auto byte = static_cast<unsigned char>(reference[at]);
        if (byte < 0x80) {
            encoded_.push_back(reference[at++]);
            continue;
        }
        const std::string_view character =
            reference.substr(at, std::min(SequenceLength(byte), queryEnd - at));
        at += character.size();
        if (!AppendEncoded(character)) {
            // "&#N;", each of its bytes encoded.
            encoded_.append("%26%23")
                .append(std::to_string(static_cast<std::uint32_t>(CodePoint(character))))
                .append("%3B");
        }
    }
    encoded_.append(reference.substr(queryEnd));
    return encoded_;
}

}  // namespace sg
