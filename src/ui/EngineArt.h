#pragma once
// The pictures of the eleven engines, drawn in code: a small icon for the engine list of the
// site position dialog and a wide logo for the status window. Plain shapes and the engine's
// name in a plain font; the colours are our own palette.

#include <QPixmap>

#include "engines/EngineId.h"

namespace sg {

inline constexpr int kEngineIconSize = 16;
inline constexpr int kEngineLogoWidth = 200;
inline constexpr int kEngineLogoHeight = 40;

// A rounded square with the engine's initials, 16 by 16.
QPixmap EngineIcon(EngineId id);
// A coloured band with the engine's initials and its full name, 200 by 40.
QPixmap EngineLogo(EngineId id);

}  // namespace sg
