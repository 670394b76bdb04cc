#pragma once
// The audio filter that plays another speed at the same pitch (playbin's audio filter on the
// "DirectShow" back end).
typedef struct _GstElement GstElement;

namespace vistrel::gst {

// scaletempo, which stretches the sound in time by the segment's rate. The synthesizer hands
// on 10 ms buffers, and with those scaletempo's output fell behind at speeds below normal
// (half speed played at about 0.3 times): for it the sound is gathered into 50 ms buffers
// first. A floating element; null when the plugins are missing.
GstElement* MakeSpeedFilter(bool synthesizer);

}  // namespace vistrel::gst
