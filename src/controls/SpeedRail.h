#pragma once
// The play speed rail's logic, apart from its widgets: where the knob stands on the rail,
// the speed a knob position means, the label's text, and the rest that has to pass after
// the last movement before the engine is told the new speed. Speeds are in thousandths of
// normal (1000 = normal), as the player front takes them. Positions are in the rail's own
// pixels; time comes from the clock the owner hands in.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vistrel {

inline constexpr int32_t kNormalSpeed = 1000;
// The engine is told a new speed only once the knob has rested this long.
inline constexpr int64_t kSpeedRestMs = 300;

// The speed in percent at a relative knob position 0..1: 10 % to 100 % on the left half,
// 100 % to 400 % on the right half, whole tens only, and 100 % from just above 80 % to just
// below 120 %.
int SpeedPercentAt(double rel);

// The label text of `speed`, as "150%".
std::string SpeedText(int32_t speed);

class SpeedRail {
public:
    explicit SpeedRail(std::function<int64_t()> clockMs) : clockMs_(std::move(clockMs)) {}

    // The rail's and the knob's widths; the knob keeps its relative position.
    void SetGeometry(int railWidth, int knobWidth);
    int KnobLeft() const { return knobLeft_; }
    // Places the knob at the fraction `rel` (limited to 0..1) of its travel.
    void PlaceAt(double rel);

    // A press on the rail at `x`: the knob jumps under the pointer, its speed is chosen at
    // once, and a drag goes on from there.
    void PressOnRail(int x);
    // A press on the knob at `x` (rail pixels): a drag starts.
    void PressOnKnob(int x);
    // The pointer at `x` with the button held: the knob follows; true when the speed shown
    // changed. Movement restarts the rest.
    bool DragTo(int x);

    // The speed to tell the engine, once, after the knob has rested for kSpeedRestMs.
    std::optional<int32_t> TakeDueSpeed();
    bool Pending() const { return pending_; }
    // How long until TakeDueSpeed gives the pending speed (0 when due or none is pending).
    int64_t MsUntilDue() const;
    // The engine took `speed` (accepted) or refused it. True when the knob goes back to the
    // middle: normal speed was set.
    bool Applied(int32_t speed, bool accepted);

    // The title closed: normal speed shown, knob in the middle, nothing pending.
    void TitleClosed();

    int32_t SliderSpeed() const { return sliderSpeed_; }
    int32_t ShownSpeed() const { return shownSpeed_; }

private:
    int Travel() const;
    double RelativePosition() const;
    int ClampedKnobLeft(int left) const;
    bool ChooseSpeed();

    std::function<int64_t()> clockMs_;
    int railWidth_ = 0;
    int knobWidth_ = 0;
    int knobLeft_ = 0;
    double rel_ = 0.5;       // kept across a resize
    int grabOffset_ = 0;     // pointer x less knob left while dragging
    std::optional<int> dragX_;
    int32_t sliderSpeed_ = kNormalSpeed;
    int32_t shownSpeed_ = kNormalSpeed;
    bool pending_ = false;
    int64_t lastMoveMs_ = 0;
};

}  // namespace vistrel
