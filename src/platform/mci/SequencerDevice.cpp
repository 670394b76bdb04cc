#include "platform/mci/SequencerDevice.h"

#include "platform/gst/SpeedFilter.h"

#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vistrel::mci {

namespace {

constexpr GstClockTime kOpenTimeout = 5 * GST_SECOND;
constexpr GstClockTime kSeekTimeout = 2 * GST_SECOND;

// Sound goes to PulseAudio under a name of its own, so that the volume mixer can tell
// the synthesizer's streams from the other playback streams.
GstElement* MakeSink(bool untimed)
{
    if (untimed) {
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        if (sink)
            g_object_set(sink, "sync", FALSE, nullptr);
        return sink;
    }
    if (GstElement* sink = gst_element_factory_make("pulsesink", nullptr)) {
        // The pipeline runs on the system clock, and the sink places the sound by it as it is.
        // The stream's own clock, which the sink would otherwise hand the pipeline and steer
        // by, now and then leapt far ahead right after a flush, or stood at 0 after a resume on
        // a busy machine; never going back, it then held the position still while the sound
        // played on.
        g_object_set(sink, "client-name", "Vistrel MIDI", "provide-clock", FALSE, nullptr);
        gst_util_set_object_arg(G_OBJECT(sink), "slave-method", "none");
        return sink;
    }
    return gst_element_factory_make("autoaudiosink", nullptr);
}

void DropUnowned(const std::vector<GstElement*>& elements)
{
    for (GstElement* element : elements) {
        if (element)
            gst_object_unref(gst_object_ref_sink(element));
    }
}

}  // namespace

MciError SequencerDevice::Open(const std::string& file, const EngineOptions& options,
                               std::unique_ptr<MciDevice>& device)
{
    if (!gst_init_check(nullptr, nullptr, nullptr))
        return MCIERR_CANNOT_LOAD_DRIVER;
    std::unique_ptr<SequencerDevice> opened(new SequencerDevice());
    if (const MciError error = opened->build(file, options.untimed))
        return error;
    if (const MciError error = opened->preroll())
        return error;
    device = std::move(opened);
    return 0;
}

SequencerDevice::~SequencerDevice()
{
    if (pipeline_) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }
}

MciError SequencerDevice::build(const std::string& file, bool untimed)
{
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* parse = gst_element_factory_make("midiparse", nullptr);
    GstElement* synth = gst_element_factory_make("fluiddec", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* tempo = gst::MakeSpeedFilter(true);
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* sink = MakeSink(untimed);
    const std::vector<GstElement*> elements = {source, parse, synth, convert, resample, tempo, volume, sink};
    for (GstElement* element : elements) {
        if (!element) {
            DropUnowned(elements);
            return MCIERR_CANNOT_LOAD_DRIVER;
        }
    }
    pipeline_ = gst_pipeline_new("vistrel-sequencer");
    gst_bin_add_many(GST_BIN(pipeline_), source, parse, synth, convert, resample, tempo, volume, sink, nullptr);
    // The speed filter takes the converted sound, where playbin puts it too.
    if (!gst_element_link_many(source, parse, synth, convert, resample, tempo, volume, sink, nullptr))
        return MCIERR_CANNOT_LOAD_DRIVER;
    g_object_set(source, "location", file.c_str(), nullptr);
    volume_ = volume;
    sink_ = sink;
    return 0;
}

MciError SequencerDevice::preroll()
{
    if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        return failureFromBus();
    const GstStateChangeReturn result = gst_element_get_state(pipeline_, nullptr, nullptr, kOpenTimeout);
    if (result == GST_STATE_CHANGE_FAILURE)
        return failureFromBus();
    if (result == GST_STATE_CHANGE_ASYNC)
        return MCIERR_DEVICE_NOT_READY;
    engineDurationMs();
    return 0;
}

// An error of the sound output is the hardware's; any other is the file's.
MciError SequencerDevice::failureFromBus()
{
    GstBus* bus = gst_element_get_bus(pipeline_);
    GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    if (!message)
        return MCIERR_INVALID_FILE;
    GstObject* origin = GST_MESSAGE_SRC(message);
    const bool fromSink = origin == GST_OBJECT(sink_) || gst_object_has_as_ancestor(origin, GST_OBJECT(sink_));
    gst_message_unref(message);
    return fromSink ? MCIERR_HARDWARE : MCIERR_INVALID_FILE;
}

bool SequencerDevice::waitForStateChange()
{
    const GstStateChangeReturn result = gst_element_get_state(pipeline_, nullptr, nullptr, kSeekTimeout);
    return result != GST_STATE_CHANGE_FAILURE && result != GST_STATE_CHANGE_ASYNC;
}

// Popping with a filter discards every other message, so the bus never grows.
void SequencerDevice::pollEngine()
{
    GstBus* bus = gst_element_get_bus(pipeline_);
    const auto endTypes = static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    while (GstMessage* message = gst_bus_pop_filtered(bus, endTypes)) {
        atEnd_ = true;  // an error while playing ends the play as the end would
        gst_message_unref(message);
    }
    gst_object_unref(bus);
}

double SequencerDevice::engineDurationMs()
{
    gint64 duration = 0;
    if (durationMs_ <= 0 && gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) && duration > 0)
        durationMs_ = double(duration) / GST_MSECOND;
    return durationMs_;
}

double SequencerDevice::enginePositionMs()
{
    gint64 position = 0;
    if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &position) || position < 0)
        return 0;
    return double(position) / GST_MSECOND;
}

bool SequencerDevice::engineAtEnd()
{
    return atEnd_;
}

void SequencerDevice::setEnginePaused(bool paused)
{
    gst_element_set_state(pipeline_, paused ? GST_STATE_PAUSED : GST_STATE_PLAYING);
}

bool SequencerDevice::seekEngine(int64_t ms)
{
    return seekAt(double(ms), rate_);
}

// The speed rides on a flushing seek to where the song stands. The parser and the
// synthesizer only hand the rate on, so a sink alone would play the notes higher or lower;
// the speed filter stretches the sound in time instead and the pitch stays. At the end
// nothing is left to play: the next seek (to the start, or "play from") takes the speed along.
MciError SequencerDevice::setEngineSpeed(uint32_t speed)
{
    const double rate = speed / 1000.0;
    if (!atEnd_ && !seekAt(enginePositionMs(), rate))
        return MCIERR_HARDWARE;
    rate_ = rate;
    return 0;
}

bool SequencerDevice::seekAt(double ms, double rate)
{
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    const auto position = static_cast<gint64>(std::llround(std::max(0.0, ms) * GST_MSECOND));
    if (!gst_element_seek(pipeline_, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, position, GST_SEEK_TYPE_NONE,
                          GST_CLOCK_TIME_NONE))
        return false;
    const bool done = waitForStateChange();
    pollEngine();
    atEnd_ = false;  // the flush took back an end message posted before the seek
    return done;
}

// The curve of mpv's volume (the cube of the fraction), so that one setting sounds
// equally loud on both devices.
MciError SequencerDevice::setEngineVolume(uint32_t volume)
{
    const double fraction = volume / 1000.0;
    g_object_set(volume_, "volume", fraction * fraction * fraction, nullptr);
    return 0;
}

MciError SequencerDevice::setMute(bool mute)
{
    g_object_set(volume_, "mute", mute ? TRUE : FALSE, nullptr);
    return 0;
}

MciError SequencerDevice::setAudioStream(uint32_t stream)
{
    return stream == 1 ? 0 : MCIERR_OUTOFRANGE;
}

MciError SequencerDevice::engineStatus(StatusItem item, std::string& reply)
{
    switch (item) {
    case StatusItem::WindowHandle: return MCIERR_NO_WINDOW;
    case StatusItem::NominalFrameRate:
    case StatusItem::FrameRate:
    case StatusItem::FramesSkipped: reply = "0"; return 0;
    case StatusItem::NumberOfAudioTracks:
    case StatusItem::AudioStream: reply = "1"; return 0;
    default: return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

}  // namespace vistrel::mci
