#pragma once
// Moves the calling thread (and every thread and process it starts from then on) into a network
// namespace of its own with only loopback up, so that a browser started by a test can reach
// nothing but the test's own servers. Needs root (CAP_SYS_ADMIN); the chromium tests fail
// rather than skip without it, as they do without chromium, which `scripts/install-deps --test`
// installs.

#include <string>

namespace sg::test {

// True when the thread is now in a namespace whose only interface is "lo", up; else false
// with `why`.
bool EnterIsolatedNetwork(std::string& why);

}  // namespace sg::test
