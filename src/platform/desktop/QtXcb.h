#pragma once
// The running Qt application's X connection, for the stand-ins that talk to the X server
// themselves (other instances' windows, the video child windows).
#include <xcb/xcb.h>

namespace vistrel {

// True when the application runs on the xcb platform (window handles are X windows).
bool IsXcbPlatform();
// Qt's own xcb connection; null on other platforms.
xcb_connection_t* QtXcbConnection();

}  // namespace vistrel
