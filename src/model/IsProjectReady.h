#pragma once

#include <string_view>

#include "model/Project.h"

namespace sg {

// Why a project cannot be analysed; 0 when it can.
inline constexpr int kProjectReady = 0;
inline constexpr int kProjectNoUrls = 1;
inline constexpr int kProjectEmptyUrl = 2;
// The URL is the bare "http://".
inline constexpr int kProjectBareScheme = 3;
// The URL holds no "." and names no host of this machine (NamesAHost).
inline constexpr int kProjectUrlWithoutDot = 4;
// The project name gives no file-name stem (empty, or it begins with ".").
inline constexpr int kProjectNoShortName = 5;

// A site address names a host: it holds a ".", or it is one of this machine's addresses
// (localhost, [::1]), which have none.
bool NamesAHost(std::string_view url);

// The first reason, in checking order, why the project cannot be analysed. `urlIndex`, when
// given, receives the index of the offending entry (-1 when no entry is at fault).
int CheckProjectReady(const Project& project, int* urlIndex = nullptr);

// Every URL usable and a project name that gives a report file stem.
inline bool IsProjectReady(const Project& project) {
    return CheckProjectReady(project) == kProjectReady;
}

}  // namespace sg
