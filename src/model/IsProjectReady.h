#pragma once

#include "model/Project.h"

namespace sg {

// Why a project cannot be analysed; 0 when it can.
inline constexpr int kProjectReady = 0;
inline constexpr int kProjectNoUrls = 1;
inline constexpr int kProjectEmptyUrl = 2;
// The URL is the bare "http://".
inline constexpr int kProjectBareScheme = 3;
// The URL holds no ".", so it names no host.
inline constexpr int kProjectUrlWithoutDot = 4;
// The project name gives no file-name stem (empty, or it begins with ".").
inline constexpr int kProjectNoShortName = 5;

// The first reason, in checking order, why the project cannot be analysed. `urlIndex`, when
// given, receives the index of the offending entry (-1 when no entry is at fault).
int CheckProjectReady(const Project& project, int* urlIndex = nullptr);

// Every URL usable and a project name that gives a report file stem.
inline bool IsProjectReady(const Project& project) {
    return CheckProjectReady(project) == kProjectReady;
}

}  // namespace sg
