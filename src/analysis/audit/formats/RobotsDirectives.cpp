#include "analysis/audit/formats/RobotsDirectives.h"

#include <array>
#include <string>
#include <vector>

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

// The directives whose own value follows a colon, so a name before a colon is no crawler.
bool TakesValue(std::string_view name) {
    return name == "unavailable_after" || name == "max-snippet" || name == "max-image-preview" ||
           name == "max-video-preview";
}

bool IsTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(
            text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

// Applies directive parts from `i` on; an unavailable_after date that holds a comma (RFC 850's
// weekday) takes the next part too. Returns the index of the last part used.
std::size_t ApplyDirective(const std::vector<std::string_view>& parts, std::size_t i,
                           std::string_view part, RobotsDirectives& directives,
                           std::string_view from) {
    const std::string lower = ToLowerAnsi(part);
    if ((lower == "noindex" || lower == "none") && directives.noindexFrom.empty()) {
        directives.noindexFrom = std::string(from);
    }
    if (lower == "noindex") {
        directives.noindex = true;
    } else if (lower == "nofollow") {
        directives.nofollow = true;
    } else if (lower == "none") {
        directives.noindex = true;
        directives.nofollow = true;
    } else if (lower.rfind("unavailable_after", 0) == 0) {
        std::string_view rest = TrimBlanksView(part.substr(17));
        if (rest.empty() || rest[0] != ':') {
            return i;
        }
        rest.remove_prefix(1);
        std::optional<std::time_t> date = ParseRobotsDate(rest);
        if (!date && i + 1 < parts.size()) {
            std::string joined(rest);
            joined += ',';
            joined += parts[i + 1];
            date = ParseRobotsDate(joined);
            if (date) {
                ++i;
            }
        }
        if (date && (!directives.unavailableAfter || *date < *directives.unavailableAfter)) {
            directives.unavailableAfter = date;
        }
    }
    return i;
}

int MonthOf(std::string_view word) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (word.size() < 3) {
        return 0;
    }
    const std::string start = ToLowerAnsi(word.substr(0, 3));
    for (std::size_t m = 0; m < kMonths.size(); ++m) {
        if (start == kMonths[m]) {
            return static_cast<int>(m) + 1;
        }
    }
    return 0;
}

bool AllDigits(std::string_view word) {
    if (word.empty()) {
        return false;
    }
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int Number(std::string_view digits) {
    int value = 0;
    for (char c : digits.substr(0, 6)) {
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

void AddMetaRobots(std::string_view content, RobotsDirectives& directives, std::string_view name) {
    const bool google = EqualsNoCase(TrimBlanksView(name), kIndexingCrawler);
    const std::string from =
        google ? "a googlebot meta tag, for Googlebot" : "a robots meta tag, for every crawler";
    const std::vector<std::string_view> parts = SplitCommas(content);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        i = ApplyDirective(parts, i, TrimBlanksView(parts[i]), directives, from);
    }
}

void AddXRobotsTag(std::string_view value, RobotsDirectives& directives) {
    const std::vector<std::string_view> parts = SplitCommas(value);
    // A crawler named before a colon holds for the directives after it.
    bool forGooglebot = true;
    bool named = false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string_view part = TrimBlanksView(parts[i]);
        const std::size_t colon = part.find(':');
        if (colon != std::string_view::npos) {
            const std::string_view name = TrimBlanksView(part.substr(0, colon));
            bool token = !name.empty();
            for (char c : name) {
                token = token && IsTokenChar(c);
            }
            if (token && !TakesValue(ToLowerAnsi(name))) {
                forGooglebot = EqualsNoCase(name, kIndexingCrawler);
                named = true;
                part = TrimBlanksView(part.substr(colon + 1));
            }
        }
        if (forGooglebot) {
            i = ApplyDirective(parts, i, part, directives,
                               named ? "an X-Robots-Tag header, for Googlebot"
                                     : "an X-Robots-Tag header, for every crawler");
        }
    }
}

void AddXRobotsTagLines(const std::vector<std::string>& headerLines, RobotsDirectives& directives) {
    constexpr std::string_view kName = "X-Robots-Tag:";
    for (const std::string& line : headerLines) {
        if (StartsWithNoCase(line, kName)) {
            AddXRobotsTag(std::string_view(line).substr(kName.size()), directives);
        }
    }
}

std::optional<std::time_t> ParseRobotsDate(std::string_view text) {
    // The words and numbers in order; punctuation separates them.
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size() && words.size() < 12) {
        while (i < text.size() && !IsTokenChar(text[i])) {
            ++i;
        }
        std::size_t end = i;
        // "-" and "_" separate date parts too.
        while (end < text.size() && IsTokenChar(text[end]) && text[end] != '-' &&
               text[end] != '_') {
            ++end;
        }
        if (end > i) {
            words.push_back(text.substr(i, end - i));
        }
        i = end + (end == i ? 1 : 0);
    }
    int year = 0;
    int month = 0;
    int day = 0;
    std::size_t next = 0;
    if (!words.empty() && words[0].size() == 4 && AllDigits(words[0])) {
        // ISO 8601: year, month, day, and "T" joined to the hour.
        if (words.size() < 3 || !AllDigits(words[1]) || words[2].empty()) {
            return std::nullopt;
        }
        year = Number(words[0]);
        month = Number(words[1]);
        std::string_view dayWord = words[2];
        std::size_t digits = 0;
        while (digits < dayWord.size() && dayWord[digits] >= '0' && dayWord[digits] <= '9') {
            ++digits;
        }
        if (digits == 0) {
            return std::nullopt;
        }
        day = Number(dayWord.substr(0, digits));
        words[2] = dayWord.substr(digits);
        next = words[2].size() > 1 && (words[2][0] == 'T' || words[2][0] == 't') ? 2 : 3;
        if (next == 2) {
            words[2].remove_prefix(1);
        }
    } else {
        // A month name with the day before it and the year after it.
        std::size_t m = 0;
        while (m < words.size() && MonthOf(words[m]) == 0) {
            ++m;
        }
        if (m == 0 || m + 1 >= words.size() || !AllDigits(words[m - 1]) ||
            !AllDigits(words[m + 1])) {
            return std::nullopt;
        }
        day = Number(words[m - 1]);
        month = MonthOf(words[m]);
        year = Number(words[m + 1]);
        if (words[m + 1].size() <= 2) {
            year += year < 70 ? 2000 : 1900;
        }
        next = m + 2;
    }
    int clock[3] = {0, 0, 0};
    for (int part = 0; part < 3 && next + part < words.size(); ++part) {
        if (!AllDigits(words[next + part]) || words[next + part].size() > 2) {
            break;
        }
        clock[part] = Number(words[next + part]);
    }
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 ||
        clock[0] > 23 || clock[1] > 59 || clock[2] > 60) {
        return std::nullopt;
    }
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = clock[0];
    tm.tm_min = clock[1];
    tm.tm_sec = clock[2];
    return timegm(&tm);
}

}  // namespace sg
