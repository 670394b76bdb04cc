#include "controls/SpeedRail.h"

#include <algorithm>
#include <cmath>

namespace vistrel {

namespace {

// The knob stays this far from each end of the rail, clear of its sunken border.
constexpr int kRailMargin = 2;
constexpr int kSlowestPercent = 10;
constexpr int kSnapBelow = 80;  // a speed strictly between these two is normal speed
constexpr int kSnapAbove = 120;

}  // namespace

int SpeedPercentAt(double rel)
{
    rel = std::clamp(rel, 0.0, 1.0);
    // The right half covers three times the range of the left half, so its scale is steeper.
    const long percent = rel < 0.5 ? std::max<long>(std::lround(rel * 200), kSlowestPercent)
                                   : std::lround((rel - 0.5) * 400 + rel * 200);
    const int tens = static_cast<int>(percent / 10 * 10);
    return tens > kSnapBelow && tens < kSnapAbove ? 100 : tens;
}

std::string SpeedText(int32_t speed)
{
    return std::to_string(speed / 10) + "%";
}

void SpeedRail::SetGeometry(int railWidth, int knobWidth)
{
    railWidth_ = railWidth;
    knobWidth_ = knobWidth;
    PlaceAt(rel_);
}

void SpeedRail::PlaceAt(double rel)
{
    rel_ = std::clamp(rel, 0.0, 1.0);
    knobLeft_ = kRailMargin + static_cast<int>(std::lround(rel_ * Travel()));
}

void SpeedRail::PressOnRail(int x)
{
    const int travel = Travel();
    PlaceAt(travel > 0 ? double(x - knobWidth_ / 2 - kRailMargin) / travel : 0.5);
    grabOffset_ = x - knobLeft_;
    dragX_ = x;
    ChooseSpeed();
}

void SpeedRail::PressOnKnob(int x)
{
    grabOffset_ = x - knobLeft_;
    dragX_ = x;
}

bool SpeedRail::DragTo(int x)
{
    if (dragX_ == x)
        return false;
    dragX_ = x;
    knobLeft_ = ClampedKnobLeft(x - grabOffset_);
    rel_ = RelativePosition();
    return ChooseSpeed();
}

std::optional<int32_t> SpeedRail::TakeDueSpeed()
{
    if (!pending_ || MsUntilDue() > 0)
        return std::nullopt;
    pending_ = false;
    return sliderSpeed_;
}

int64_t SpeedRail::MsUntilDue() const
{
    return pending_ ? std::max<int64_t>(0, lastMoveMs_ + kSpeedRestMs - clockMs_()) : 0;
}

bool SpeedRail::Applied(int32_t speed, bool accepted)
{
    if (!accepted || speed != kNormalSpeed)
        return false;
    PlaceAt(0.5);
    return true;
}

void SpeedRail::TitleClosed()
{
    shownSpeed_ = sliderSpeed_ = kNormalSpeed;
    pending_ = false;
    dragX_.reset();
    PlaceAt(0.5);
}

int SpeedRail::Travel() const
{
    return railWidth_ - knobWidth_ - 2 * kRailMargin;
}

double SpeedRail::RelativePosition() const
{
    const int travel = Travel();
    return travel > 0 ? std::clamp(double(knobLeft_ - kRailMargin) / travel, 0.0, 1.0) : 0.5;
}

int SpeedRail::ClampedKnobLeft(int left) const
{
    return std::clamp(left, kRailMargin, kRailMargin + std::max(0, Travel()));
}

// The speed of the knob's position; the rest starts again. True when the shown speed changed.
bool SpeedRail::ChooseSpeed()
{
    sliderSpeed_ = SpeedPercentAt(RelativePosition()) * 10;
    pending_ = true;
    lastMoveMs_ = clockMs_();
    if (sliderSpeed_ == shownSpeed_)
        return false;
    shownSpeed_ = sliderSpeed_;
    return true;
}

}  // namespace vistrel
