#include "app/WindowPlacement.h"

#include <algorithm>
#include <optional>

namespace vistrel {

namespace {

int64_t IntersectionArea(const ScreenRect& a, const ScreenRect& b)
{
    const int64_t left = std::max<int64_t>(a.X, b.X);
    const int64_t top = std::max<int64_t>(a.Y, b.Y);
    const int64_t right = std::min<int64_t>(int64_t{a.X} + a.W, int64_t{b.X} + b.W);
    const int64_t bottom = std::min<int64_t>(int64_t{a.Y} + a.H, int64_t{b.Y} + b.H);
    return right > left && bottom > top ? (right - left) * (bottom - top) : 0;
}

// The monitor with the largest intersection; none when nothing intersects.
std::optional<ScreenRect> MonitorOf(const ScreenRect& window, const std::vector<ScreenRect>& monitors)
{
    std::optional<ScreenRect> best;
    int64_t bestArea = 0;
    for (const ScreenRect& monitor : monitors) {
        const int64_t area = IntersectionArea(window, monitor);
        if (area > bestArea) {
            best = monitor;
            bestArea = area;
        }
    }
    return best;
}

std::vector<ScreenRect> UsableInstances(const std::vector<ScreenRect>& windows)
{
    std::vector<ScreenRect> used;
    for (const ScreenRect& w : windows)
        if (w.W > 0 && w.H > 0 && used.size() < kMaxOtherInstances)
            used.push_back(w);
    return used;
}

WindowPlacementResult MoveTo(int32_t x, int32_t y) { return {false, x, y}; }

// Steps down (one caption and 2 pixels) below every other instance whose top-left corner
// is where this window would go, restarting the walk after each step. `screenWidth` is the
// width of the monitor that holds the window, the bottom is the primary screen's height:
// positions are compared with sizes alone, which is right for monitors that start at 0.
//
// Once Y is clamped to the bottom of the screen, another instance there with X not at the
// right edge would make the walk step to the same Y forever. Any Y that comes back is such
// a cycle; the walk then ends as in the bottom-right case, and the window goes to (0, 0).
WindowPlacementResult WalkPastOtherInstances(int32_t x, int32_t y, int32_t screenWidth,
                                             const WindowPlacementInput& in)
{
    const std::vector<ScreenRect> others = UsableInstances(in.otherInstances);
    const int32_t step = in.captionHeight + 2;
    const int32_t screenHeight = in.primaryHeight;
    std::vector<int32_t> visitedY{y};
    for (size_t i = 0; i < others.size(); ++i) {
        if (others[i].X != x || others[i].Y != y)
            continue;
        y += step;
        if (y + in.H > screenHeight)
            y = screenHeight - in.H;
        const bool bottomRight = x == screenWidth - in.W && y == screenHeight - in.H;
        const bool cycle = std::find(visitedY.begin(), visitedY.end(), y) != visitedY.end();
        if (bottomRight || cycle)
            return MoveTo(0, 0);
        visitedY.push_back(y);
        i = static_cast<size_t>(-1);  // restart from the first window
    }
    return MoveTo(x, y);
}

}  // namespace

WindowPlacementResult ComputeWindowPlacement(const WindowPlacementInput& in)
{
    // A position on no monitor (one that was unplugged) is forgotten. An empty size still
    // tests the top-left pixel.
    const ScreenRect window{in.X, in.Y, std::max(in.W, 1), std::max(in.H, 1)};
    const std::optional<ScreenRect> monitor = MonitorOf(window, in.monitors);
    if (!monitor || (in.X == 0 && in.Y == 0))  // 0, 0: the position was never saved
        return {};
    // The window is not shown yet while the settings load, so the monitor that holds it at
    // (X, Y), where it is about to go, gives the width; after the test above there is one.
    return WalkPastOtherInstances(in.X, in.Y, monitor->W, in);
}

}  // namespace vistrel
