#pragma once
// Runs a helper program and waits for it on the calling thread, within a bound.
#include <cstdint>
#include <string>
#include <vector>

namespace vistrel::tempfiles {

enum RunResult : int { kRunNotStarted = 0, kRunEnded = 1, kRunTimedOut = 2 };

// Starts argv[0] with `argv` (no shell: every argument reaches the program as it is, and none
// of our descriptors above 2), and polls it every 20 ms for at most `timeoutMs`. On the bound
// it is asked to end (SIGTERM), killed a second later (SIGKILL) and reaped.
RunResult RunAndWait(const std::vector<std::string>& argv, int32_t timeoutMs);

}  // namespace vistrel::tempfiles
