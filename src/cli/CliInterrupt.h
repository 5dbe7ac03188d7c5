#pragma once

namespace sg {

// Ctrl-C during a run: while the guard lives, SIGINT only sets a flag that the command polls
// (a second Ctrl-C ends the program at once, as usual). The old handler is restored after.
class CliInterrupt {
  public:
    CliInterrupt();
    ~CliInterrupt();
    CliInterrupt(const CliInterrupt&) = delete;
    CliInterrupt& operator=(const CliInterrupt&) = delete;

    static bool Requested();
};

}  // namespace sg
