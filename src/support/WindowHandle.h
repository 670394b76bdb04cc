#pragma once
#include <cstdint>

namespace vistrel {

// A native window id (an X11 window under xcb, QWidget::winId()); 0 = no window.
using WindowHandle = uint64_t;

}  // namespace vistrel
