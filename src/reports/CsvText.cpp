#include "reports/CsvText.h"

#include "html/TextUtil.h"

namespace sg {
namespace {

bool StartsFormula(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// "-12" or "-1.5": a spreadsheet reads it as a number, not as a formula.
bool IsPlainNumber(std::string_view text) {
    if (text.starts_with('-')) {
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view("0") : text.substr(point + 1);
    auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return digits(whole) && digits(fraction);
}

// Whether the text, after any "'"s, begins like a formula: the fields CsvField marks.
bool LooksLikeFormula(std::string_view text) {
    const std::size_t first = text.find_first_not_of('\'');
    return first != std::string_view::npos && StartsFormula(text[first]);
}

// A field as read, without the "'" CsvField put in front of it.
std::string Unmarked(std::string field) {
    if (field.starts_with('\'') && LooksLikeFormula(field)) {
        field.erase(0, 1);
    }
    return field;
}

}  // namespace

std::string CsvField(std::string_view value) {
    std::string marked;
    if (LooksLikeFormula(value) && !IsPlainNumber(value)) {
        marked.reserve(value.size() + 1);
        marked += '\'';
        marked += value;
        value = marked;
    }
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(value);
    }
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string CsvRecord(std::span<const std::string_view> fields, CsvControls controls) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            record += ',';
        }
        record += controls == CsvControls::Kept
                      ? CsvField(fields[i])
                      : CsvField(ControlsAsQuestionMarks(fields[i], false));
    }
    record += "\r\n";
    return record;
}

std::vector<std::vector<std::string>> ParseCsv(std::string_view text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    bool pending = false;  // something of the current record has been read
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            pending = true;
        } else if (c == ',') {
            record.push_back(Unmarked(std::move(field)));
            field.clear();
            pending = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            record.push_back(Unmarked(std::move(field)));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
            pending = false;
        } else {
            field += c;
            pending = true;
        }
    }
    if (pending) {
        record.push_back(Unmarked(std::move(field)));
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace sg
