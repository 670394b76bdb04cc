#pragma once
// The seek preview: while the pointer rests on a position rail over a video title, a small
// window above the rail shows the frame at the hovered position and its time, from a
// video-only graph of its own, so the playing title is not disturbed. The first show waits
// for showTimer (500 ms of hover); later moves follow the pointer through updateTimer (a
// 10 ms one-shot); the pointer timer hides the preview once the pointer is off the rails.
// The window and the graph are made on the first hover and go with the title (Unload).
#include <QColor>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QTimer;

namespace vistrel::gst {
class PreviewGraph;
}

namespace vistrel::video {

class SeekPreviewWindow;

// The picture's size over a rail: `widthMain` wide over the main rail; over the fullscreen
// rail the video window's width / `divisor`, but never narrower than over the main rail;
// as high as the video's shape (`aspect` = width / height) asks.
QSize PreviewPictureSize(bool overFullscreenRail, int widthMain, int videoWindowWidth, int divisor, double aspect);
// Where a window of `size` goes: centred on `centreX` with its bottom edge at `bottomY`,
// moved inside `screen` when that is not empty.
QPoint PreviewWindowPos(QSize size, int centreX, int bottomY, const QRect& screen);
// The time tab's text for `ms`: " m:ss ", a blank each side; " 0:00 " below 0.
std::string PreviewTimeText(int64_t ms);

struct SeekPreviewOptions {
    int widthMain = 160;
    int fullscreenDivisor = 6;
    QColor back{0x40, 0x40, 0x40};
    QColor text{0xFF, 0xFF, 0xFF};
};

// What the preview reads of the window and the title; rectangles and the pointer are in
// global coordinates, a hidden rail's rectangle is empty.
struct SeekPreviewHooks {
    std::function<QPoint()> PointerPos;  // the pointer on the screen; tests put their own here
    std::function<QRect()> MainRailRect;
    std::function<QRect()> FullscreenRailRect;
    std::function<bool()> TitleOpen;
    std::function<std::string()> CurrentFile;
    std::function<int64_t()> TitleLengthMs;
    std::function<float()> MouseMovePosition;  // the rail's fraction under the pointer
    std::function<int()> VideoWindowWidth;
    std::function<double()> VideoAspectRatio;  // width / height; 0 when unknown
    std::function<SeekPreviewOptions()> Options;  // read when the window is made
};

struct SeekPreviewTimers {
    QTimer* showTimer = nullptr;     // 500 ms: the first show after the hover
    QTimer* updateTimer = nullptr;   // 10 ms, one-shot: the frame after a move
    QTimer* pointerTimer = nullptr;  // 50 ms while a video title is open: the upkeep
};

class SeekPreview : public QObject {
    Q_OBJECT

public:
    SeekPreview(SeekPreviewTimers timers, SeekPreviewHooks hooks, QObject* parent = nullptr);
    ~SeekPreview() override;

    // The preview holds a video: its graph is open and has given a frame.
    bool HaveVid() const;
    // Centres the window on screen X `centreX` with its bottom edge at `bottomY`.
    void Move(int centreX, int bottomY);
    // The title closed: the window and the graph go; the next hover makes them again.
    void Unload();

    // The window while it exists (null before the first hover and after Unload).
    SeekPreviewWindow* Window() const { return window_.get(); }
    bool Visible() const;
    // How many seeks the preview's graph has made since it was opened.
    int SeekCount() const { return seeks_; }

    void OnShowTimer();
    void OnUpdateTimer();
    void OnPointerTimer();

    SeekPreviewHooks Hooks;

private:
    enum class Rail { None, Main, Fullscreen };
    Rail RailUnderPointer(QRect* railRect = nullptr) const;
    void LayOut(Rail rail, const QRect& railRect);
    bool OpenGraph();
    void ShowFrame(float rel);
    void ShowWindow();
    void Hide();

    SeekPreviewTimers timers_;
    std::unique_ptr<SeekPreviewWindow> window_;
    std::unique_ptr<gst::PreviewGraph> graph_;
    std::string failedFile_;  // a file whose preview did not open is not tried again
    float lastRel_ = -1;
    int seeks_ = 0;
};

}  // namespace vistrel::video
