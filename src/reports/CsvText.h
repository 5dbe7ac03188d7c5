#pragma once
// Comma-separated tables as RFC 4180 writes them: a field holding a comma, a double quote or a
// line break is put in double quotes with its quotes doubled; records end in CR LF.
//
// A spreadsheet takes a cell that begins with "=", "+", "-", "@", a tab or a CR for a formula, and
// page titles, keywords and site names come from strangers. Such a field is written with a "'"
// in front, as OWASP advises against CSV injection (a plain number such as "-12" stays as it is);
// so is one that begins with "'"s followed by such a character, so that ParseCsv can take
// exactly one "'" off again and every value reads back as it was written.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

// What a record does with the control characters of its values. Kept: as they are, for a file,
// where a value with a line break is quoted and every value reads back as it was. AsQuestionMarks:
// each one (line breaks and tabs too, C1 controls as U+0080..U+009F) as "?", for a terminal, so
// that no escape sequence or lone CR in a value acts on it and the record ends are the only line
// ends.
enum class CsvControls { Kept, AsQuestionMarks };

// The field as it goes into a record: unchanged, or with the "'" in front that keeps it from
// being a formula, and quoted when it must be.
std::string CsvField(std::string_view value);
// The fields joined by commas, with the CR LF that ends the record.
std::string CsvRecord(std::span<const std::string_view> fields,
                      CsvControls controls = CsvControls::Kept);
// The records of a table, each a list of its fields unquoted and without the "'" CsvField put
// in front. Records may end in CR LF or LF alone; a last record without an ending counts; no
// record is made of an empty last line. An unclosed quote takes the rest of the text into its
// field.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text);

}  // namespace sg
