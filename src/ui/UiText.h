#pragma once
// The window system speaks Unicode; the program's texts are Windows-1252 bytes and its paths
// are the file system's bytes. These convert at that edge.

#include <QString>

class QFontMetrics;
#include <string>
#include <string_view>

namespace sg {

// Program text to the screen.
QString ToQt(std::string_view ansi);
// Screen text to program text; a character with no Windows-1252 form becomes "?".
std::string FromQt(const QString& text);

// A path (or a message that carries one) to the screen, and a chosen path back to bytes.
QString PathToQt(const std::string& path);

// A tool tip shows rich text when its text looks like markup; this one shows `text` as it is.
QString PlainToolTip(const QString& text);
std::string PathFromQt(const QString& path);

// `line` (a path, say) as one line that a word-wrapping label never breaks: at most `maxWidth`
// pixels wide in `metrics`, its middle elided when it is wider, with no break opportunity left
// (blanks become no-break spaces, and a word joiner follows every other non-letter).
QString UnbrokenLine(const QString& line, const QFontMetrics& metrics, int maxWidth);

}  // namespace sg
