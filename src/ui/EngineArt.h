#pragma once
// The pictures of the eleven engines and of the live ones, drawn in code: a small icon for the
// engine list of the site position dialog and a wide logo for the status window. Plain shapes and
// the engine's name in a plain font; the colours are our own palette.

#include <QPixmap>
#include <QString>

#include "engines/EngineId.h"

namespace sg {

inline constexpr int kEngineIconSize = 16;
inline constexpr int kEngineLogoWidth = 200;
inline constexpr int kEngineLogoHeight = 40;

// A rounded square with the engine's initials, 16 by 16.
QPixmap EngineIcon(EngineId id);
// A coloured band with the engine's initials and its full name, 200 by 40.
QPixmap EngineLogo(EngineId id);

// A live engine of the metasearch instance has no look of its own: a grey square with the
// name's first letter, and a grey band with "live" in the badge and the name beside it.
QPixmap LiveEngineIcon(const QString& name);
QPixmap LiveEngineLogo(const QString& name);

}  // namespace sg
