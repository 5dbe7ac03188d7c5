#pragma once

namespace sg {

// The exit codes of sitegauge-cli.
inline constexpr int kExitOk = 0;
// The command was understood but could not do its work (for example a save failed).
inline constexpr int kExitFailed = 1;
// Bad usage, or input that cannot be read.
inline constexpr int kExitUsage = 2;
// The analysis ran and wrote its report, but found what --fail-on-broken or --fail-on-warnings
// asked to fail on.
inline constexpr int kExitFindings = 3;
// A run stopped by Ctrl-C (128 + SIGINT, as shells report it).
inline constexpr int kExitInterrupted = 130;

}  // namespace sg
