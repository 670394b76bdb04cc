#pragma once
// Where the main window goes at start, as a computation on plain values: the remembered
// position, unless no monitor shows it, stepped below other instances already there. The
// main window gathers the inputs (QScreen geometries, the other instances' windows through
// _NET_CLIENT_LIST, the caption height) and applies the result.
#include "support/ScreenRect.h"

#include <cstdint>
#include <vector>

namespace vistrel {

struct WindowPlacementInput {
    int32_t X = 0;  // the loaded Left
    int32_t Y = 0;  // the loaded Top
    int32_t W = 0;  // the main window's current outer size
    int32_t H = 0;
    std::vector<ScreenRect> monitors;  // every monitor's geometry
    int32_t primaryHeight = 0;          // the primary screen's height
    // The top-level windows of other running instances (caption ending with the program's
    // title, the main window itself excluded), in the platform's window order. Empty
    // rectangles are skipped and at most 20 are used.
    std::vector<ScreenRect> otherInstances;
    int32_t captionHeight = 0;  // the height of a window's title bar
};

struct WindowPlacementResult {
    bool keepDefaultPosition = true;  // when true, X and Y mean nothing
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const WindowPlacementResult&) const = default;
};

constexpr int kMaxOtherInstances = 20;

WindowPlacementResult ComputeWindowPlacement(const WindowPlacementInput& in);

}  // namespace vistrel
