#pragma once
// The window system speaks Unicode; the program's texts are Windows-1252 bytes and its paths
// are the file system's bytes. These convert at that edge.

#include <QString>
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

}  // namespace sg
