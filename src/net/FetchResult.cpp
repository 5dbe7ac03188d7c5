#include "net/FetchResult.h"

#include <algorithm>

#include <string_view>

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

void FetchResult::AppendBodyPiece(const char* data, std::size_t size) {
    body_.append(data, size);
    pieceEnds_.push_back(body_.size());
    pieces_.clear();
}

void FetchResult::ReplaceBody(std::string_view body, std::size_t pieceBytes) {
    body_.assign(body);
    pieceEnds_.clear();
    pieces_.clear();
    std::size_t start = 0;
    while (start < body_.size()) {
        const std::size_t lineEnd = body_.find('\n', start);
        const std::size_t end =
            std::min(lineEnd == std::string::npos ? body_.size() : lineEnd + 1, start + pieceBytes);
        pieceEnds_.push_back(end);
        start = end;
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
