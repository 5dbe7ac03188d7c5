#include "reports/ChartScript.h"

namespace sg::resources {
extern const std::string_view chart_min_js;
}  // namespace sg::resources

namespace sg {

std::string_view ChartLibraryVersion() {
    constexpr std::string_view kMark = "Chart.js v";
    const std::string_view library = resources::chart_min_js;
    const std::size_t at = library.find(kMark);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::size_t from = at + kMark.size();
    const std::size_t end = library.find_first_not_of("0123456789.", from);
    return library.substr(from, end == std::string_view::npos ? end : end - from);
}

std::string ChartLibraryScript() {
    std::string script = "<script>\n";
    script += ScriptElementText(resources::chart_min_js);
    script += "\n</script>\n";
    return script;
}

std::string ScriptElementText(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        safe += text[i];
        if (text[i] == '<' && i + 1 < text.size() && text[i + 1] == '/') {
            safe += '\\';
        }
    }
    return safe;
}

}  // namespace sg
