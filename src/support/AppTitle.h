#pragma once

namespace vistrel {

// The program's name: the window caption and the title of its message boxes.
inline constexpr const char* kAppTitle = "Vistrel";

}  // namespace vistrel
