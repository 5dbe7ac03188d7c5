#pragma once

#include <functional>

namespace sg {

// True when a network interface other than loopback is up and has an address.
bool IsOnline();

// What every analysis tells the user when IsOnline says no.
inline constexpr const char* kOfflineMessage =
    "The application has detected that you are not connected to the internet.";

// Replaces the answer of IsOnline (tests, the loopback demo); an empty function restores it.
void SetOnlineCheck(std::function<bool()> check);

}  // namespace sg
