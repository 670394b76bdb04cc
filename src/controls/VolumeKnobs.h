#pragma once
// The four volume knobs, "Master", "Wave", "MIDI" and "Local", as positions and values:
// drags, presses into the frame, the wheel, and the knobs placed from the current values.
// No widgets: VolumeFrameWidget paints what this decides and hands it the mouse in its
// own pixel coordinates. Knob 0..2 drive the mixer, knob 3 is the title's own volume.
#include <array>
#include <cstdint>
#include <functional>

namespace vistrel {

inline constexpr int kVolumeKnobCount = 4;
inline constexpr int kMasterKnob = 0;
inline constexpr int kWaveKnob = 1;
inline constexpr int kMidiKnob = 2;
inline constexpr int kLocalKnob = 3;
inline constexpr int32_t kLocalVolumeMax = 1000;

// Where the knobs move, in the frame's pixels. A knob's top is `topAtMax` at the largest
// value and `topAtZero` at 0; `columns` are the knobs' left and right edges (right one
// past the last pixel).
struct VolumeKnobLayout {
    int topAtMax = 0;
    int topAtZero = 0;
    int knobHeight = 1;
    std::array<std::array<int, 2>, kVolumeKnobCount> columns{};
};

// What the knobs drive; the main window fills it in.
struct VolumeKnobHooks {
    // The mixer's largest value; 0 while there is no mixer.
    std::function<uint32_t()> MixerMax;
    std::function<uint32_t(int knob)> MixerVolume;
    std::function<void(int knob, uint32_t volume)> SetMixerVolume;
    // The title's volume 0..1000 changed.
    std::function<void(int32_t volume)> SetLocalVolume;
};

class VolumeKnobs {
public:
    VolumeKnobHooks Hooks;
    // Called whenever a knob moved (the widget repaints).
    std::function<void()> KnobsMoved;

    void SetLayout(const VolumeKnobLayout& layout);
    const VolumeKnobLayout& Layout() const { return layout_; }
    int KnobTop(int knob) const { return tops_[size_t(knob)]; }

    // Knobs 0..2 answer only while a mixer is there.
    void SetMixerEnabled(bool enabled) { mixerEnabled_ = enabled; }
    bool MixerEnabled() const { return mixerEnabled_; }
    bool KnobEnabled(int knob) const { return knob == kLocalKnob || mixerEnabled_; }

    int32_t Local() const { return local_; }
    // The start value (a setting): clamped to 0..1000, nothing is applied.
    void SetLocal(int32_t volume);

    // Every knob from the mixer's values and Local; a knob being dragged stays where the
    // pointer holds it.
    void SetVolumeSliderPos();

    // The mouse in the frame. A press on a knob grabs it where it was hit; a press beside
    // the knobs in a knob's column centres that knob on the pointer and grabs it there.
    void Press(int x, int y);
    void Move(int y);
    void Release() { grabbed_ = -1; }
    int Grabbed() const { return grabbed_; }

    // The wheel (`delta` 120 per notch, up is louder) at the frame's x: the knob whose
    // column holds x, else Local. A notch moves the knob 1/12 inch (8 pixels at 96 dpi).
    void Wheel(int delta, int x, int dpi);

    // The knob whose column holds x; -1 for none.
    int ColumnAt(int x) const;

private:
    int Travel() const { return layout_.topAtZero - layout_.topAtMax; }
    uint32_t Max(int knob) const;
    int TopFor(int knob, uint32_t value) const;
    void MoveKnob(int knob, int top);

    VolumeKnobLayout layout_;
    std::array<int, kVolumeKnobCount> tops_{};
    bool mixerEnabled_ = false;
    int32_t local_ = 0;
    int grabbed_ = -1;
    int grabOffset_ = 0;
    // Wheel movement smaller than a pixel, kept for the next turn of the same knob.
    int wheelKnob_ = -1;
    double wheelRest_ = 0;
};

}  // namespace vistrel
