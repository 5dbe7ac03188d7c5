#include "net/FetchResult.h"

#include <algorithm>
#include <string_view>

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

const std::string kEmpty;

std::string Joined(const std::vector<std::string>& parts) {
    std::size_t size = 0;
    for (const std::string& part : parts) {
        size += part.size();
    }
    std::string out;
    out.reserve(size);
    for (const std::string& part : parts) {
        out += part;
    }
    return out;
}

const std::string& Entry(const std::vector<std::string>& list, int n) {
    return n >= 0 && static_cast<std::size_t>(n) < list.size() ? list[static_cast<std::size_t>(n)]
                                                               : kEmpty;
}

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

void FetchResult::ClearResponse() {
    headerLines.clear();
    body_.clear();
    pieceEnds_.clear();
    pieces_.clear();
}

void FetchResult::CutBodyIntoPieces(std::size_t pieceBytes) {
    pieceEnds_.clear();
    pieces_.clear();
    const std::string_view body(body_);
    for (std::size_t begin = 0; begin < body.size();) {
        // A piece ends after the first CR LF that lies wholly within its room.
        const std::size_t room = std::min(pieceBytes, body.size() - begin);
        const std::size_t lineEnd = body.substr(begin, room).find("\r\n");
        begin += lineEnd != std::string_view::npos ? lineEnd + 2 : room;
        pieceEnds_.push_back(begin);
    }
}

std::string FetchResult::HeaderText() const {
    return Joined(headerLines);
}

const std::vector<std::string>& FetchResult::BodyPieces() const {
    if (pieces_.size() != pieceEnds_.size()) {
        pieces_.clear();
        pieces_.reserve(pieceEnds_.size());
        std::size_t begin = 0;
        for (std::size_t end : pieceEnds_) {
            pieces_.emplace_back(body_, begin, end - begin);
            begin = end;
        }
    }
    return pieces_;
}

const char* FetchResult::BodyLine(int n) const {
    if (n < 0 || static_cast<std::size_t>(n) >= pieceEnds_.size()) {
        return nullptr;
    }
    return BodyPieces()[static_cast<std::size_t>(n)].c_str();
}

std::string FetchResult::ContentTypeLine() const {
    for (const std::string& line : headerLines) {
        if (EqualsNoCase(FieldName(line), "Content-Type")) {
            return line;
        }
    }
    return {};
}

int FetchResult::StatusCode() const {
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

std::string FetchResult::Location() const {
    for (const std::string& line : headerLines) {
        if (StartsWithNoCase(line, "Location:")) {
            return std::string(TrimBlanksView(std::string_view(line).substr(9)));
        }
    }
    return {};
}

bool FetchResult::IsRedirect() const {
    const int code = StatusCode();
    const bool redirectCode =
        code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
    return redirectCode && !Location().empty();
}

int FetchResult::LinkCount() const {
    return static_cast<int>(links.size());
}

const std::string& FetchResult::LinkAt(int n) const {
    return Entry(links, n);
}

int FetchResult::FrameCount() const {
    return static_cast<int>(frames.size());
}

const std::string& FetchResult::FrameAt(int n) const {
    return Entry(frames, n);
}

}  // namespace sg
