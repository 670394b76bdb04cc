#include "platform/gst/PreviewGraph.h"

#include "platform/gst/GstShared.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>

namespace vistrel::gst {

namespace {

constexpr int kOpenTimeoutMs = 5000;
constexpr int kFrameTimeoutMs = 4000;
constexpr int kPlayFlagVideo = 0x1;  // playbin's GST_PLAY_FLAG_VIDEO: no sound is decoded
// A seek to the very end would preroll nothing: the last frame starts before it.
constexpr double kLastFrameMarginSeconds = 0.05;

// BGRx is QImage's RGB32 in memory on every machine we build for (little-endian), so the
// frame needs no conversion of ours; the newest frame is the only one kept.
GstElement* MakeFrameSink()
{
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!sink)
        return nullptr;
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    g_object_set(sink, "caps", caps, "sync", FALSE, "max-buffers", 1u, "drop", TRUE, nullptr);
    gst_caps_unref(caps);
    return sink;
}

std::string BusError(GstElement* playbin)
{
    GstBus* bus = gst_element_get_bus(playbin);
    GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    if (!message)
        return "The preview did not load within 5 seconds";
    std::string text = ErrorText(message);
    gst_message_unref(message);
    return text;
}

}  // namespace

std::unique_ptr<PreviewGraph> PreviewGraph::Open(const std::string& file, std::string& error)
{
    if (!StartGstreamer()) {
        error = "GStreamer cannot be started";
        return nullptr;
    }
    std::unique_ptr<PreviewGraph> graph(new PreviewGraph());
    graph->playbin_ = NewPlaybinForFile(file, error);
    if (!graph->playbin_)
        return nullptr;
    graph->sink_ = MakeFrameSink();
    if (!graph->sink_) {
        error = "GStreamer has no appsink";
        return nullptr;
    }
    g_object_set(graph->playbin_, "flags", kPlayFlagVideo, "video-sink", graph->sink_, nullptr);
    if (!graph->Preroll(error))
        return nullptr;
    return graph;
}

PreviewGraph::~PreviewGraph()
{
    if (playbin_) {
        gst_element_set_state(playbin_, GST_STATE_NULL);
        gst_object_unref(playbin_);
    }
}

bool PreviewGraph::Preroll(std::string& error)
{
    const GstStateChangeReturn change = gst_element_set_state(playbin_, GST_STATE_PAUSED);
    const GstStateChangeReturn done =
        change == GST_STATE_CHANGE_FAILURE
            ? change
            : gst_element_get_state(playbin_, nullptr, nullptr, GstClockTime(kOpenTimeoutMs) * GST_MSECOND);
    if (done == GST_STATE_CHANGE_SUCCESS && TakePrerolledFrame())
        return true;
    error = done == GST_STATE_CHANGE_SUCCESS ? "The file has no video to preview" : BusError(playbin_);
    return false;
}

// The state query, not the bus, tells when the seek's frame is there: an ASYNC_DONE left
// from an earlier seek would hand back the old frame.
bool PreviewGraph::ShowFrame(double seconds)
{
    const double duration = DurationSeconds();
    if (duration > 0)
        seconds = std::min(seconds, duration - kLastFrameMarginSeconds);
    const auto position = static_cast<gint64>(std::max(0.0, seconds) * GST_SECOND);
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek_simple(playbin_, GST_FORMAT_TIME, flags, position))
        return false;
    const GstStateChangeReturn done =
        gst_element_get_state(playbin_, nullptr, nullptr, GstClockTime(kFrameTimeoutMs) * GST_MSECOND);
    return done == GST_STATE_CHANGE_SUCCESS && TakePrerolledFrame();
}

// One copy, from the mapped buffer (with its own row stride) into the frame we keep.
bool PreviewGraph::TakePrerolledFrame()
{
    GstSample* sample = gst_app_sink_try_pull_preroll(GST_APP_SINK(sink_), 0);
    if (!sample)
        return false;
    GstVideoInfo info;
    GstVideoFrame frame;
    bool taken = false;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
        gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        const QImage view(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), GST_VIDEO_FRAME_WIDTH(&frame),
                          GST_VIDEO_FRAME_HEIGHT(&frame), GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
        frame_ = view.copy();
        gst_video_frame_unmap(&frame);
        taken = !frame_.isNull();
    }
    gst_sample_unref(sample);
    return taken;
}

double PreviewGraph::DurationSeconds()
{
    gint64 duration = 0;
    if (duration_ <= 0 && gst_element_query_duration(playbin_, GST_FORMAT_TIME, &duration) && duration > 0)
        duration_ = double(duration) / GST_SECOND;
    return duration_;
}

}  // namespace vistrel::gst
