#include "net/Answer.h"

#include <algorithm>

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

// Token 0 of the line split on ":" and " ": the field name, leading blanks skipped.
std::string_view FieldName(std::string_view line) {
    const std::size_t begin = line.find_first_not_of(": ");
    if (begin == std::string_view::npos) {
        return {};
    }
    const std::size_t end = line.find_first_of(": ", begin);
    return line.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

}  // namespace

void Answer::ClearResponse() {
    headerLines.clear();
    body_.clear();
}

std::string Answer::HeaderText() const {
    std::size_t size = 0;
    for (const std::string& line : headerLines) {
        size += line.size();
    }
    std::string out;
    out.reserve(size);
    for (const std::string& line : headerLines) {
        out += line;
    }
    return out;
}

std::string_view Answer::HeaderLine(std::string_view name) const {
    for (const std::string& line : headerLines) {
        if (EqualsNoCase(FieldName(line), name)) {
            return line;
        }
    }
    return {};
}

int Answer::StatusCode() const {
    if (headerLines.empty()) {
        return 0;
    }
    const std::string_view status = headerLines.front();
    const std::size_t blank = status.find(' ');
    if (!StartsWithNoCase(status, "HTTP/") || blank == std::string_view::npos ||
        status.size() < blank + 4 || (status.size() > blank + 4 && status[blank + 4] != ' ')) {
        return 0;
    }
    int code = 0;
    for (std::size_t i = blank + 1; i < blank + 4; ++i) {
        if (status[i] < '0' || status[i] > '9') {
            return 0;
        }
        code = code * 10 + (status[i] - '0');
    }
    return code;
}

std::string Answer::Location() const {
    for (const std::string& line : headerLines) {
        if (StartsWithNoCase(line, "Location:")) {
            return std::string(TrimBlanksView(std::string_view(line).substr(9)));
        }
    }
    return {};
}

bool Answer::IsRedirect() const {
    const int code = StatusCode();
    const bool redirectCode =
        code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
    return redirectCode && !Location().empty();
}

bool Answer::HoldsLinks() const {
    return sg::HoldsLinks(HeaderLine("Content-Type"));
}

bool Answer::IsStyleSheet() const {
    std::string_view value = HeaderLine("Content-Type");
    value.remove_prefix(std::min(value.size(), value.find(':') + 1));
    return StartsWithNoCase(TrimBlanksView(value), "text/css");
}

bool Answer::LeftHttps() const {
    return std::find(leftHttps.begin(), leftHttps.end(), 1) != leftHttps.end();
}

std::vector<std::string_view> BodyPieces(std::string_view body, std::size_t pieceBytes) {
    std::vector<std::string_view> pieces;
    pieceBytes = std::max<std::size_t>(pieceBytes, 1);
    for (std::size_t begin = 0; begin < body.size();) {
        // A piece ends after the first CR LF that lies wholly within its room.
        const std::size_t room = std::min(pieceBytes, body.size() - begin);
        const std::size_t lineEnd = body.substr(begin, room).find("\r\n");
        const std::size_t size = lineEnd != std::string_view::npos ? lineEnd + 2 : room;
        pieces.push_back(body.substr(begin, size));
        begin += size;
    }
    return pieces;
}

bool KeepsBody(std::string_view contentTypeLine, bool acceptsJson) {
    return StartsWithNoCase(contentTypeLine, "Content-Type: text/html") ||
           StartsWithNoCase(contentTypeLine, "Content-Type: text/plain") ||
           StartsWithNoCase(contentTypeLine, "Content-Type: application/xhtml+xml") ||
           (acceptsJson && StartsWithNoCase(contentTypeLine, "Content-Type: application/json"));
}

bool HoldsLinks(std::string_view contentTypeLine) {
    return StartsWithNoCase(contentTypeLine, "Content-Type: text/html") ||
           StartsWithNoCase(contentTypeLine, "Content-Type: application/xhtml+xml");
}

}  // namespace sg
