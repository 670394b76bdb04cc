// bench/seek_preview [ROUNDS]: the seek preview's time per hover, from the follow-up of a
// pointer move (the update timer's handler) until the new frame is painted in the preview
// window, next to the bare engine in the same process: a video-only playbin with an appsink,
// a flushing accurate seek and the prerolled sample pulled, on the same positions. Both run
// on the same file, position by position in turn (19 fractions, 0.05 to 0.95, in a fixed
// shuffled order, ROUNDS times, default 3). Also the first show (the graph opened and the
// first frame painted). Files: a 640x360 H.264 clip and a 1920x1080 H.264 clip, both with a
// 10 s GOP, made with ffmpeg in a temporary folder, and the demo clips. Prints mean, median,
// p95 and max per engine and the ratios; nothing passes or fails on time.
#include "video/SeekPreview.h"
#include "video/SeekPreviewWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr int kFrameTimeoutMs = 4000;

struct Stats {
    double mean = 0, median = 0, p95 = 0, max = 0;
};

Stats Summarise(std::vector<double> ms)
{
    if (ms.empty())
        return {};
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size() - 1) + 0.5))]; };
    return {std::accumulate(ms.begin(), ms.end(), 0.0) / double(ms.size()), at(0.5), at(0.95), ms.back()};
}

// The reference: what GStreamer itself takes to hand over the frame at a position.
class BareEngine {
public:
    explicit BareEngine(const std::string& file)
    {
        playbin_ = gst_element_factory_make("playbin", nullptr);
        sink_ = gst_element_factory_make("appsink", nullptr);
        GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
        g_object_set(sink_, "caps", caps, "sync", FALSE, "max-buffers", 1u, "drop", TRUE, nullptr);
        gst_caps_unref(caps);
        gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
        g_object_set(playbin_, "uri", uri, "flags", 0x1, "video-sink", sink_, nullptr);
        g_free(uri);
        gst_element_set_state(playbin_, GST_STATE_PAUSED);
        gst_element_get_state(playbin_, nullptr, nullptr, 5 * GST_SECOND);
    }
    ~BareEngine()
    {
        gst_element_set_state(playbin_, GST_STATE_NULL);
        gst_object_unref(playbin_);
    }
    bool FrameAt(double seconds)
    {
        const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
        gst_element_seek_simple(playbin_, GST_FORMAT_TIME, flags, gint64(seconds * GST_SECOND));
        gst_element_get_state(playbin_, nullptr, nullptr, GstClockTime(kFrameTimeoutMs) * GST_MSECOND);
        GstSample* sample = gst_app_sink_try_pull_preroll(GST_APP_SINK(sink_), 0);
        if (sample)
            gst_sample_unref(sample);
        return sample != nullptr;
    }
    double DurationSeconds()
    {
        gint64 duration = 0;
        return gst_element_query_duration(playbin_, GST_FORMAT_TIME, &duration) ? double(duration) / GST_SECOND : 0;
    }

private:
    GstElement* playbin_ = nullptr;
    GstElement* sink_ = nullptr;
};

// The product: the preview over a rail at the top of the screen, the pointer on it.
class Preview {
public:
    Preview(const std::string& file, int64_t lengthMs)
    {
        using namespace vistrel::video;
        SeekPreviewHooks hooks;
        hooks.PointerPos = [] { return QPoint(400, 300); };
        hooks.MainRailRect = [] { return QRect(100, 290, 600, 20); };
        hooks.TitleOpen = [] { return true; };
        hooks.CurrentFile = [file] { return file; };
        hooks.TitleLengthMs = [lengthMs] { return lengthMs; };
        hooks.MouseMovePosition = [this] { return rel_; };
        hooks.VideoAspectRatio = [] { return 16.0 / 9.0; };
        preview_ = std::make_unique<SeekPreview>(SeekPreviewTimers{&show_, &update_, &pointer_}, std::move(hooks));
    }
    // The first show: the graph opened at the fraction and the frame painted.
    double FirstShowMs(float rel)
    {
        rel_ = rel;
        QElapsedTimer clock;
        clock.start();
        preview_->OnShowTimer();
        WaitForPaint(0);
        return clock.nsecsElapsed() / 1e6;
    }
    double HoverMs(float rel)
    {
        rel_ = rel;
        const int painted = preview_->Window()->PaintedFrames();
        QElapsedTimer clock;
        clock.start();
        preview_->OnUpdateTimer();
        WaitForPaint(painted);
        return clock.nsecsElapsed() / 1e6;
    }

private:
    void WaitForPaint(int before)
    {
        QElapsedTimer limit;
        limit.start();
        while (preview_->Window() && preview_->Window()->PaintedFrames() == before && limit.elapsed() < kFrameTimeoutMs)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    QTimer show_, update_, pointer_;
    std::unique_ptr<vistrel::video::SeekPreview> preview_;
    float rel_ = 0;
};

bool MakeClip(const QString& path, const QString& size, int seconds)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                            QString("testsrc2=size=%1:rate=25:duration=%2").arg(size).arg(seconds), "-c:v", "libx264",
                            "-preset", "veryfast", "-g", "250", "-keyint_min", "250", "-sc_threshold", "0", "-pix_fmt",
                            "yuv420p", "-y", path});
    return ffmpeg.waitForFinished(600000) && ffmpeg.exitCode() == 0;
}

void Row(const char* name, const std::vector<double>& product, const std::vector<double>& bare, double firstShow)
{
    const Stats p = Summarise(product), b = Summarise(bare);
    std::printf("%-28s %4zu  preview %6.1f %6.1f %6.1f %6.1f   bare %6.1f %6.1f %6.1f %6.1f   x%.2f x%.2f   first %6.1f\n",
                name, product.size(), p.mean, p.median, p.p95, p.max, b.mean, b.median, b.p95, b.max,
                b.mean > 0 ? p.mean / b.mean : 0, b.median > 0 ? p.median / b.median : 0, firstShow);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    gst_init(nullptr, nullptr);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString clip360 = dir.filePath("h264_640x360_gop10s.mp4");
    const QString clip1080 = dir.filePath("h264_1920x1080_gop10s.mp4");
    if (!MakeClip(clip360, "640x360", 30) || !MakeClip(clip1080, "1920x1080", 30)) {
        std::fprintf(stderr, "seek_preview: ffmpeg could not make the clips\n");
        return 1;
    }
    const std::vector<std::pair<std::string, std::string>> files{
        {"640x360 H.264, 10 s GOP", clip360.toStdString()},
        {"demo/vistrel_testcard.mp4", VISTREL_SOURCE_DIR "/demo/vistrel_testcard.mp4"},
        {"demo/mandelbrot.mkv", VISTREL_SOURCE_DIR "/demo/mandelbrot.mkv"},
        {"1920x1080 H.264, 10 s GOP", clip1080.toStdString()},
    };
    std::vector<float> fractions;
    for (int i = 1; i <= 19; ++i)
        fractions.push_back(float(((i * 7) % 19 + 1) * 0.05));  // a fixed shuffle of 0.05 .. 0.95
    std::printf("ms per hover: %d rounds of %zu positions; mean median p95 max; ratios of mean and median\n", rounds,
                fractions.size());
    for (const auto& [name, file] : files) {
        BareEngine bare(file);
        const double duration = bare.DurationSeconds();
        Preview preview(file, int64_t(duration * 1000));
        const double firstShow = preview.FirstShowMs(0.5f);
        std::vector<double> productMs, bareMs;
        QElapsedTimer clock;
        for (int round = 0; round < rounds; ++round) {
            for (const float rel : fractions) {
                productMs.push_back(preview.HoverMs(rel));
                clock.start();
                bare.FrameAt(duration * rel);
                bareMs.push_back(clock.nsecsElapsed() / 1e6);
            }
        }
        Row(name.c_str(), productMs, bareMs, firstShow);
    }
    return 0;
}
