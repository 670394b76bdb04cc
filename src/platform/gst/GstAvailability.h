#pragma once

namespace vistrel {

// Whether the DirectShow media interface can be used, asked when the
// settings choose it: GStreamer initialises and the playbin factory exists. The answer is
// computed once.
bool IsDirectShowAvailable();

}  // namespace vistrel
