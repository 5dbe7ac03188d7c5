#include "net/FtpPassiveReply.h"

#include <array>

namespace sg {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number at text[pos] of at most `maxDigits` digits; pos moves past it. -1 when there
// is no digit there.
int ReadNumber(std::string_view text, size_t& pos, size_t maxDigits) {
    const size_t start = pos;
    int value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && pos - start < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos == start ? -1 : value;
}

}  // namespace

int ParseEpsvReply(std::string_view reply) {
    const size_t open = reply.find('(');
    if (open == std::string_view::npos) {
        return 0;
    }
    const size_t close = reply.find(')', open + 1);
    if (close == std::string_view::npos) {
        return 0;
    }
    const std::string_view inside = reply.substr(open + 1, close - open - 1);
    if (inside.size() < 5) {
        return 0;
    }
    const char delimiter = inside[0];
    if (delimiter < 33 || delimiter > 126 || IsDigit(delimiter) || inside[1] != delimiter ||
        inside[2] != delimiter || inside.back() != delimiter) {
        return 0;
    }
    size_t pos = 3;
    const int port = ReadNumber(inside, pos, 5);
    if (port < kFirstPassivePort || port > 65535 || pos != inside.size() - 1) {
        return 0;
    }
    return port;
}

bool ParsePasvReply(std::string_view reply, FtpPasvTarget& out) {
    out = FtpPasvTarget{};
    // The numbers start after the code and its separator.
    size_t pos = reply.size() > 4 ? 4 : reply.size();
    while (pos < reply.size() && !IsDigit(reply[pos])) {
        ++pos;
    }
    std::array<int, 6> numbers{};
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            if (pos >= reply.size() || reply[pos] != ',') {
                return false;
            }
            ++pos;
        }
        const int number = ReadNumber(reply, pos, 3);
        if (number < 0 || number > 255) {
            return false;
        }
        numbers[i] = number;
    }
    // A seventh number would mean this was not the address at all.
    if (pos < reply.size() && (reply[pos] == ',' || IsDigit(reply[pos]))) {
        return false;
    }
    const int port = numbers[4] * 256 + numbers[5];
    if (port < kFirstPassivePort) {
        return false;
    }
    out.address = std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
                  std::to_string(numbers[2]) + "." + std::to_string(numbers[3]);
    out.port = port;
    return true;
}

}  // namespace sg
