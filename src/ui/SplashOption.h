#pragma once

#include <QStringList>

namespace sg {

// Whether the command line lets the splash window show: not for an embedded or automated
// start ("-Embedding", "-Automation", also written with "/" and in any case) nor with
// "--no-splash". The program name is not looked at.
bool SplashWanted(const QStringList& arguments);

}  // namespace sg
