#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sg {

// True when a network interface other than loopback is up and has an address.
bool IsOnline();

// What every analysis tells the user when IsOnline says no.
inline constexpr const char* kOfflineMessage =
    "The application has detected that you are not connected to the internet.";

// True when the loopback interface is up: this machine's own addresses answer.
bool IsLoopbackUp();

// Whether a run that asks `hosts` (addresses or host names) can reach them: when every one is
// an address of this machine (IsLoopbackHost), the loopback interface must be up; otherwise the
// machine must be online (IsOnline). No hosts at all asks IsOnline.
bool CanReach(const std::vector<std::string>& hosts);

// Replaces the answer of IsOnline (tests, the loopback demo); an empty function restores it.
void SetOnlineCheck(std::function<bool()> check);

}  // namespace sg
