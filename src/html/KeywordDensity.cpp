#include "html/KeywordDensity.h"

#include <array>
#include <charconv>
#include <system_error>

namespace sg {

std::string FormatDensity(double value) {
    // Large enough for any value printed with two decimals (the largest doubles have 309
    // integer digits).
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, 2);
    if (error != std::errc()) {
        return "0.00";
    }
    return std::string(buffer.data(), end);
}

KeywordDensityResult KeywordDensity(std::string_view phrase, std::string_view documentText) {
    long long occurrences = 1;
    long long spaces = 0;
    std::size_t j = 0;
    const std::size_t length = phrase.size();
    for (char c : documentText) {
        if (c == ' ') {
            ++spaces;
        }
        if (length == 0) {
            continue;
        }
        if (c == phrase[j]) {
            if (++j == length) {
                ++occurrences;
                j = 0;
            }
        } else {
            j = 0;
        }
    }
    KeywordDensityResult result;
    if (spaces == 0) {
        result.text = "0.00";
        return result;
    }
    const double density = static_cast<double>(occurrences) / static_cast<double>(spaces) * 100.0;
    result.text = FormatDensity(density);
    double readBack = 0.0;
    const char* first = result.text.data();
    const auto parsed = std::from_chars(first, first + result.text.size(), readBack);
    result.value = parsed.ec == std::errc() ? readBack : 0.0;
    return result;
}

}  // namespace sg
