#pragma once
#include <cstdint>

namespace vistrel {

// A rectangle in screen pixels: left X, top Y, width W, height H.
struct ScreenRect {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t W = 0;
    int32_t H = 0;
};

}  // namespace vistrel
