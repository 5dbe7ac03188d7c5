#pragma once
// One page of a fixture site whose answer waits until the test lets it go (at most 5 s), to
// stop a run at a known fetch.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support/FixtureSite.h"

namespace sg::test {

struct HeldPage {
    // Every path gets `page`; the answer for `heldPath` waits.
    FixtureSite::Responder Responder(std::string heldPath, std::string page) {
        return [this, heldPath, page](const std::string& path) {
            if (path == heldPath) {
                arrived = true;
                for (int i = 0; i < 500 && !released; ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
            }
            return HtmlPage(page);
        };
    }
    bool WaitArrived() const {
        for (int i = 0; i < 500 && !arrived; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return arrived;
    }

    std::atomic<bool> arrived{false};
    std::atomic<bool> released{false};
};

}  // namespace sg::test
