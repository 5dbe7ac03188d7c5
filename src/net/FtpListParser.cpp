#include "net/FtpListParser.h"

#include <array>
#include <charconv>
#include <climits>
#include <ctime>

#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr int kMaxTokens = 9;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The first kMaxTokens runs of non-blanks; missing ones are empty.
std::array<std::string_view, kMaxTokens> SplitOnBlanks(std::string_view line) {
    std::array<std::string_view, kMaxTokens> tokens{};
    size_t pos = 0;
    for (int index = 0; index < kMaxTokens; ++index) {
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
        const size_t begin = pos;
        while (pos < line.size() && !IsBlank(line[pos])) {
            ++pos;
        }
        tokens[static_cast<size_t>(index)] = line.substr(begin, pos - begin);
    }
    return tokens;
}

// The value of the leading decimal digits; 0 when there are none or the number does not fit.
long LeadingLong(std::string_view text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    (void)end;
    return error == std::errc() && value >= 0 ? value : 0;
}

int LeadingInt(std::string_view text) {
    const long value = LeadingLong(text);
    return value <= INT_MAX ? static_cast<int>(value) : 0;
}

// Up to `count` characters from `pos` (fewer, or none, near the end).
std::string_view Part(std::string_view text, size_t pos, size_t count) {
    return pos < text.size() ? text.substr(pos, count) : std::string_view();
}

void CopyName(std::string_view name, FtpDirEntry& entry) {
    const size_t length = name.size() < sizeof(entry.name) ? name.size() : sizeof(entry.name) - 1;
    name.copy(entry.name, length);
    entry.name[length] = '\0';
}

int MonthNumber(std::string_view token) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (size_t i = 0; i < kMonths.size(); ++i) {
        if (EqualsNoCase(token, kMonths[i])) {
            return static_cast<int>(i) + 1;
        }
    }
    return 1;
}

}  // namespace

void ParseUnixListLine(std::string_view line, int currentYear, FtpDirEntry& entry) {
    entry = FtpDirEntry{};
    const auto tokens = SplitOnBlanks(line);
    CopyName(tokens[8], entry);
    entry.isFolder = !line.empty() && (line[0] == 'd' || line[0] == 'D') ? 1 : 0;
    entry.size = LeadingLong(tokens[4]);
    entry.month = MonthNumber(tokens[5]);
    if (!tokens[6].empty()) {
        entry.day = LeadingInt(tokens[6]);
    }
    const std::string_view timeOrYear = tokens[7];
    const size_t colon = timeOrYear.find(':');
    if (colon != std::string_view::npos) {
        entry.year = currentYear;
        entry.hour = LeadingInt(timeOrYear.substr(0, colon));
        entry.minute = LeadingInt(timeOrYear.substr(colon + 1));
    } else if (!timeOrYear.empty()) {
        entry.year = LeadingInt(timeOrYear);
    }
}

void ParseDosListLine(std::string_view line, FtpDirEntry& entry) {
    entry = FtpDirEntry{};
    const auto tokens = SplitOnBlanks(line);
    CopyName(tokens[3], entry);

    const std::string_view sizeOrMarker = tokens[2];
    entry.isFolder = sizeOrMarker.size() > 1 && (sizeOrMarker[1] == 'd' || sizeOrMarker[1] == 'D');
    entry.size = LeadingLong(sizeOrMarker);

    const std::string_view date = tokens[0];
    const size_t dash = date.find('-');
    entry.month = LeadingInt(date.substr(0, dash));
    if (dash != std::string_view::npos) {
        entry.day = LeadingInt(date.substr(dash + 1));
    }
    const int yy = LeadingInt(Part(date, 6, 2));
    entry.year = yy >= 70 ? 1900 + yy : 2000 + yy;

    const std::string_view time = tokens[1];
    entry.hour = LeadingInt(time.substr(0, time.find(':')));
    entry.minute = LeadingInt(Part(time, 3, 2));
}

int CurrentLocalYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return 1970;
    }
    return local.tm_year + 1900;
}

}  // namespace sg
