#pragma once
// Comma-separated tables as RFC 4180 writes them: a field holding a comma, a double quote or a
// line break is put in double quotes with its quotes doubled; records end in CR LF.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

// The field as it goes into a record: unchanged, or quoted when it must be.
std::string CsvField(std::string_view value);
// The fields joined by commas, with the CR LF that ends the record.
std::string CsvRecord(std::span<const std::string_view> fields);
// The records of a table, each a list of its fields unquoted. Records may end in CR LF or LF
// alone; a last record without an ending counts; no record is made of an empty last line. An
// unclosed quote takes the rest of the text into its field.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text);

}  // namespace sg
