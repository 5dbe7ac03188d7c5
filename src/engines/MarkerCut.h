#pragma once
// The cuts every engine rule is made of: the text after a marker, the text before one. A marker
// that is not there gives nothing, so a rule made of cuts yields nothing as soon as one of its
// markers is missing.

#include <optional>
#include <string_view>

namespace sg {

using MarkerCut = std::optional<std::string_view>;

// The text after the first `marker`.
inline MarkerCut After(std::string_view text, std::string_view marker) {
    const std::size_t at = text.find(marker);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return text.substr(at + marker.size());
}

inline MarkerCut After(MarkerCut text, std::string_view marker) {
    return text ? After(*text, marker) : std::nullopt;
}

// The text before the first `marker`.
inline MarkerCut UpTo(std::string_view text, std::string_view marker) {
    const std::size_t at = text.find(marker);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return text.substr(0, at);
}

inline MarkerCut UpTo(MarkerCut text, std::string_view marker) {
    return text ? UpTo(*text, marker) : std::nullopt;
}

inline bool Contains(std::string_view text, std::string_view marker) {
    return text.find(marker) != std::string_view::npos;
}

}  // namespace sg
