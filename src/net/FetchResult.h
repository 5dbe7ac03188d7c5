#pragma once
// The response a CWebClient holds after a fetch: the head as lines, the body as the pieces the
// line reader delivered, and the links and frame sources found on a fetched page.

#include <cstddef>
#include <string>
#include <vector>

namespace sg {

class FetchResult {
  public:
    // Every line of the head in arrival order, the status line first, line ends removed; a head
    // line longer than a read buffer is kept as several entries.
    std::vector<std::string> headerLines;
    // The body in arrival order: each piece one line with its CR LF, or one buffer's worth of a
    // longer line. All bytes are kept, NUL bytes included.
    std::vector<std::string> bodyPieces;
    // Distinct anchor targets and frame sources, refilled after each page fetch that gets a
    // text page (and otherwise left as they were).
    std::vector<std::string> links;
    std::vector<std::string> frames;

    // Header lines and body pieces; links and frames are replaced only when refilled.
    void ClearResponse();

    // The header lines with nothing between them.
    std::string HeaderText() const;
    std::string BodyText() const;
    std::size_t BodyBytes() const;
    int BodyLineCount() const;
    // Piece n, or null when out of range.
    const char* BodyLine(int n) const;
    // The first header line whose field name is "Content-Type" in any case, whole; empty text
    // when there is none.
    std::string ContentTypeLine() const;
    int LinkCount() const;
    // Link n, or empty text when out of range.
    const std::string& LinkAt(int n) const;
    int FrameCount() const;
    const std::string& FrameAt(int n) const;
};

}  // namespace sg
