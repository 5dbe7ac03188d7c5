#pragma once

#include <functional>

namespace sg {

// True when a network interface other than loopback is up and has an address.
bool IsOnline();

// Replaces the answer of IsOnline (tests, the loopback demo); an empty function restores it.
void SetOnlineCheck(std::function<bool()> check);

}  // namespace sg
