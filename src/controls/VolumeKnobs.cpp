#include "controls/VolumeKnobs.h"

#include <algorithm>
#include <cmath>

namespace vistrel {

namespace {

// The wheel's unit: 120 per notch is 1/12 inch.
constexpr double kWheelUnitsPerInch = 1440.0;

}  // namespace

void VolumeKnobs::SetLayout(const VolumeKnobLayout& layout)
{
    layout_ = layout;
    tops_.fill(layout_.topAtZero);
    SetVolumeSliderPos();
}

void VolumeKnobs::SetLocal(int32_t volume)
{
    local_ = std::clamp(volume, 0, kLocalVolumeMax);
}

uint32_t VolumeKnobs::Max(int knob) const
{
    if (knob == kLocalKnob)
        return kLocalVolumeMax;
    return Hooks.MixerMax ? Hooks.MixerMax() : 0;
}

int VolumeKnobs::TopFor(int knob, uint32_t value) const
{
    const long offset = std::lround(double(Travel()) * value / Max(knob));
    return std::clamp(static_cast<int>(layout_.topAtZero - offset), layout_.topAtMax, layout_.topAtZero);
}

void VolumeKnobs::SetVolumeSliderPos()
{
    bool moved = false;
    for (int knob = 0; knob < kVolumeKnobCount; ++knob) {
        if (knob == grabbed_ || !KnobEnabled(knob) || Max(knob) == 0)
            continue;
        const uint32_t value = knob == kLocalKnob ? uint32_t(local_) : Hooks.MixerVolume(knob);
        const int top = TopFor(knob, value);
        moved = moved || top != tops_[size_t(knob)];
        tops_[size_t(knob)] = top;
    }
    if (moved && KnobsMoved)
        KnobsMoved();
}

int VolumeKnobs::ColumnAt(int x) const
{
    for (int knob = 0; knob < kVolumeKnobCount; ++knob) {
        const auto& [left, right] = layout_.columns[size_t(knob)];
        if (x >= left && x < right)
            return knob;
    }
    return -1;
}

void VolumeKnobs::Press(int x, int y)
{
    const int knob = ColumnAt(x);
    if (knob < 0 || !KnobEnabled(knob))
        return;
    const int top = tops_[size_t(knob)];
    if (y >= top && y < top + layout_.knobHeight) {
        grabbed_ = knob;
        grabOffset_ = y - top;
        return;
    }
    if (y < layout_.topAtMax || y >= layout_.topAtZero + layout_.knobHeight)
        return;
    grabbed_ = knob;
    grabOffset_ = layout_.knobHeight / 2;
    MoveKnob(knob, y - grabOffset_);
}

void VolumeKnobs::Move(int y)
{
    if (grabbed_ >= 0)
        MoveKnob(grabbed_, y - grabOffset_);
}

void VolumeKnobs::Wheel(int delta, int x, int dpi)
{
    const int column = ColumnAt(x);
    const int knob = column < 0 ? kLocalKnob : column;
    if (!KnobEnabled(knob))
        return;
    if (knob != wheelKnob_) {
        wheelKnob_ = knob;
        wheelRest_ = 0;
    }
    wheelRest_ += delta * dpi / kWheelUnitsPerInch;
    const int pixels = static_cast<int>(std::trunc(wheelRest_));
    wheelRest_ -= pixels;
    if (pixels != 0)
        MoveKnob(knob, tops_[size_t(knob)] - pixels);
}

// The knob goes to `top` within its track and its value is applied: to the mixer, or as
// the title's volume.
void VolumeKnobs::MoveKnob(int knob, int top)
{
    top = std::clamp(top, layout_.topAtMax, layout_.topAtZero);
    const uint32_t max = Max(knob);
    if (top == tops_[size_t(knob)] || max == 0 || Travel() <= 0)
        return;
    tops_[size_t(knob)] = top;
    const auto value = static_cast<uint32_t>(std::lround(double(layout_.topAtZero - top) * max / Travel()));
    if (knob == kLocalKnob) {
        local_ = std::clamp(static_cast<int32_t>(value), 0, kLocalVolumeMax);
        if (Hooks.SetLocalVolume)
            Hooks.SetLocalVolume(local_);
    } else if (Hooks.SetMixerVolume) {
        Hooks.SetMixerVolume(knob, value);
    }
    if (KnobsMoved)
        KnobsMoved();
}

}  // namespace vistrel
