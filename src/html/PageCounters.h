#pragma once
// The page readers of the readiness checks: image and alt-text counts, the text of one tag and
// the visible text after the head section. All are plain searches over the page text.

#include <cstddef>
#include <string>
#include <string_view>

namespace sg {

// Case-insensitive occurrences of "<img".
std::size_t CountImageTags(std::string_view page);

// "<img", "<area" and "<applet" tags whose text holds " alt"; each tag start's scan ends at a
// tag with no ">" after it.
std::size_t CountAltTags(std::string_view page);

// The text between the ">" that ends the first tag beginning with tagStart and the next "<";
// empty when any of the three is missing. Not trimmed.
std::string TagText(std::string_view text, std::string_view tagStart);

// The text after each "/head" with the tags removed, the texts after several occurrences
// concatenated. See the .cpp for the walk and why it is computed the way it is.
// The designed result repeats the text after every "/head", so it can grow as occurrences times
// page size; `limit` keeps only its first bytes (the readiness snapshot needs 200), so a hostile
// page costs time linear in its size and memory of page plus limit.
std::string VisibleTextAfterHead(std::string_view page, std::size_t limit = std::string::npos);

}  // namespace sg
