#pragma once
// The seek preview's own graph: a second, video-only playbin on the title's file whose
// frames end in an appsink, so the preview paints them itself and the playing title is not
// disturbed. It stays paused; each frame is a flushing accurate seek and the frame that
// prerolls there. GUI thread only; every wait is bounded.
#include <QImage>

#include <memory>
#include <string>

typedef struct _GstElement GstElement;

namespace vistrel::gst {

class PreviewGraph {
public:
    // Prerolled within 5 s, or null with the reason in `error`.
    static std::unique_ptr<PreviewGraph> Open(const std::string& file, std::string& error);
    ~PreviewGraph();
    PreviewGraph(const PreviewGraph&) = delete;
    PreviewGraph& operator=(const PreviewGraph&) = delete;

    // Seeks to `seconds` (clamped into the title) and takes the frame shown there; false,
    // with the previous frame kept, when none came within 4 s.
    bool ShowFrame(double seconds);
    // The last frame taken, null before the first.
    const QImage& Frame() const { return frame_; }
    double DurationSeconds();

private:
    PreviewGraph() = default;
    bool Preroll(std::string& error);
    bool TakePrerolledFrame();

    GstElement* playbin_ = nullptr;
    GstElement* sink_ = nullptr;  // the appsink, owned by playbin_
    QImage frame_;
    double duration_ = 0;
};

}  // namespace vistrel::gst
