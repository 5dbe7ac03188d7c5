#pragma once
// The response a CWebClient holds after a fetch: the head as lines, the body as the pieces the
// line reader delivered, and the links, frame sources and resources found on a fetched page.

#include <cstddef>
#include <string>
#include <vector>

namespace sg {

class FetchResult {
  public:
    // Every line of the head in arrival order, the status line first, line ends removed; a head
    // line longer than a read buffer is kept as several entries.
    std::vector<std::string> headerLines;
    // The page's distinct links (pages), frame sources and resources (images, stylesheets,
    // scripts, ...) as ExtractPageLinks finds them, refilled after each page fetch that gets a
    // text page (and otherwise left as they were); a page that is not HTML has none.
    std::vector<std::string> links;
    std::vector<std::string> frames;
    std::vector<std::string> resources;

    // Header lines and body; links, frames and resources are replaced only when refilled.
    void ClearResponse();
    // More of the body as it arrives. All bytes are kept, NUL bytes included.
    void AppendBody(const char* data, std::size_t size) { body_.append(data, size); }
    // Once the body is whole: its pieces as a line reader with a buffer of pieceBytes + 1 would
    // deliver them, each one line with its CR LF, or pieceBytes of a longer line.
    void CutBodyIntoPieces(std::size_t pieceBytes);
    // Room for a body of about this size, to spare regrowing a large one.
    void ReserveBody(std::size_t size) { body_.reserve(size); }

    // The header lines with nothing between them.
    std::string HeaderText() const;
    // The body pieces with nothing between them.
    const std::string& BodyText() const { return body_; }
    std::size_t BodyBytes() const { return body_.size(); }
    int BodyLineCount() const { return static_cast<int>(pieceEnds_.size()); }
    // Piece n, or null when out of range. Valid until the response is cleared.
    const char* BodyLine(int n) const;
    const std::vector<std::string>& BodyPieces() const;
    // The first header line whose field name is "Content-Type" in any case, whole; empty text
    // when there is none.
    std::string ContentTypeLine() const;
    // The status code of the head ("HTTP/1.1 NNN ...", "HTTP/2 NNN"); 0 without a status line.
    int StatusCode() const;
    // The value of the first Location line, blanks trimmed; empty when there is none.
    std::string Location() const;
    // A redirect (301, 302, 303, 307 or 308) with a Location line.
    bool IsRedirect() const;
    int LinkCount() const;
    // Link n, or empty text when out of range.
    const std::string& LinkAt(int n) const;
    int FrameCount() const;
    const std::string& FrameAt(int n) const;

  private:
    // The body is kept whole, so that the scanners and BodyText need no copy; the pieces as
    // separate texts are made only when someone asks for them.
    std::string body_;
    std::vector<std::size_t> pieceEnds_;
    mutable std::vector<std::string> pieces_;
};

}  // namespace sg
