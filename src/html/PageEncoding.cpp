#include "html/PageEncoding.h"

#include "html/CharsetPrescan.h"
#include "html/EncodingLabel.h"
#include "html/PageCharset.h"
#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

// The charset parameter of a Content-Type value ("text/html; charset=\"utf-8\"").
std::string_view HeaderCharset(std::string_view line) {
    if (StartsWithNoCase(line, "content-type:")) {
        line.remove_prefix(13);
    }
    for (std::size_t semicolon = line.find(';'); semicolon != std::string_view::npos;
         semicolon = line.find(';')) {
        line.remove_prefix(semicolon + 1);
        const std::string_view parameter = line.substr(0, line.find(';'));
        const std::size_t equals = parameter.find('=');
        if (equals == std::string_view::npos ||
            !EqualsNoCase(TrimBlanksView(parameter.substr(0, equals)), "charset")) {
            continue;
        }
        std::string_view value = TrimBlanksView(parameter.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return {};
}

bool IsUtf8Page(std::string_view page) {
    const std::string_view rest = page.substr(Utf8PrefixLength(page));
    if (rest.empty()) {
        return true;
    }
    const auto lead = static_cast<unsigned char>(rest.front());
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 0;
    if (rest.size() >= length) {
        return false;
    }
    for (const char c : rest.substr(1)) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

PageEncoding DecidePageEncoding(std::string_view contentTypeLine, std::string_view page) {
    if (page.starts_with("\xEF\xBB\xBF")) {
        return {"UTF-8", 3};
    }
    if (page.starts_with("\xFE\xFF")) {
        return {"UTF-16BE", 2};
    }
    if (page.starts_with("\xFF\xFE")) {
        return {"UTF-16LE", 2};
    }
    if (std::string name = EncodingOfLabel(HeaderCharset(contentTypeLine)); !name.empty()) {
        return {std::move(name), 0};
    }
    if (std::string name = PrescanMetaCharset(page); !name.empty()) {
        return {std::move(name), 0};
    }
    return {IsUtf8Page(page) ? "UTF-8" : "WINDOWS-1252", 0};
}

}  // namespace sg
