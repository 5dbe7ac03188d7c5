#include "reports/CsvText.h"

namespace sg {

std::string CsvField(std::string_view value) {
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

std::string CsvRecord(std::span<const std::string_view> fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            record += ',';
        }
        record += CsvField(fields[i]);
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
            record.push_back(std::move(field));
            field.clear();
            pending = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            record.push_back(std::move(field));
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
        record.push_back(std::move(field));
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace sg
