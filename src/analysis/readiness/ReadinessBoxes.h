#pragma once
// The boxes of one page's readiness section after the meta tag boxes: Title, Alt Text, the
// search engine snapshot, the keyword tag content and the keyword densities. Each writes its
// fixed fragments with the page's values made safe for the report, and answers false when the
// run was cancelled.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "html/PageCharset.h"

namespace sg {

class UrlEntry;
struct DensityResult;

// The length up to which the title box shows a title as fitting.
inline constexpr std::size_t kTitleLimit = 80;

// Blue and "looks Good" up to 80 characters, red and "too long" from 81.
bool WriteTitleBox(const std::string& path, std::size_t titleLength);

// All images covered when the alt count reaches the image count; otherwise "missing/images".
bool WriteAltTextBox(const std::string& path, std::size_t imageCount, std::size_t altCount);

// Both snapshots link to the page URL as stored and show the title (or, without one, the URL);
// the first shows the visible text, the second the description.
bool WriteSnapshot(const std::string& path, std::string_view pageUrl, std::string_view title,
                   std::string_view visibleText, std::string_view description);

bool WriteKeywordContentBox(const std::string& path, std::string_view keywords);

// One density line per phrase of the keywords text (phrases end at ",", ";" or ">"; blanks
// trimmed, empty ones skipped). Each (phrase, density) goes to `sink` when there is one. The
// phrases are counted in the page's own bytes and shown (and sunk) as the report shows text;
// `results`, when given, gets each phrase in UTF-8 with its density.
bool WriteKeywordDensityBox(const std::string& path, std::string_view keywords,
                            std::string_view documentText, UrlEntry* sink,
                            PageCharset charset = PageCharset::Windows1252,
                            std::vector<DensityResult>* results = nullptr);

}  // namespace sg
