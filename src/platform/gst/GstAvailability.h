#pragma once

namespace vistrel {

// The DirectShow availability test of Part 1.2 step 5 on Linux (DESIGN.md section 3):
// GStreamer initialises and the playbin factory exists. The answer is computed once.
bool IsDirectShowAvailable();

}  // namespace vistrel
