#pragma once
// What placing the main window at start needs from the desktop, read through the xcb connection of the running
// Qt application. On platforms other than xcb there is nothing to read: no windows, no
// frame extents.
#include "support/ScreenRect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// So that a new main window can step clear of the instances already open: the frame
// rectangles, in root coordinates, of the top-level windows other than `ownWindow` whose
// caption (_NET_WM_NAME) ends with `appTitle` and whose rectangle is not empty, in the
// window manager's _NET_CLIENT_LIST order; at most `maxCount`.
std::vector<ScreenRect> OtherInstanceWindows(uint32_t ownWindow, const std::string& appTitle, size_t maxCount);

// The caption-bar height as the window manager draws it (the step by which a new window
// moves down past another instance): the top of `window`'s _NET_FRAME_EXTENTS; none when
// it has none (no window manager, a window not mapped yet, not xcb).
std::optional<int32_t> FrameExtentsTop(uint32_t window);

}  // namespace vistrel
