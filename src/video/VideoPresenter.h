#pragma once
// Shows a title's video: lays it out by the zoom and aspect choices of the video menu,
// beside the main window or fullscreen on the main window's monitor (in the main window's
// own video area on small monitors), keeps the separate window beside the main window when
// that moves, and watches the pointer over the video: the fullscreen rail near the bottom,
// a blank pointer while it rests, a double click for fullscreen, a right click for the
// menu. The engine's own video window is moved between the windows; the title is not
// opened again.
#include "support/WindowHandle.h"
#include "video/VideoLayout.h"

#include <QObject>
#include <QPoint>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QKeyEvent;
class QMenu;
class QTimer;
class QWidget;

namespace vistrel::video {

class VideoWindow;

// The video menu's entries this class ticks and enables (the main window's menu).
struct VideoMenu {
    QMenu* menu = nullptr;
    QAction* fullscreen = nullptr;
    QMenu* zoomMenu = nullptr;
    std::array<QAction*, kZoomItemCount> zoom{};
    QMenu* aspectMenu = nullptr;
    std::array<QAction*, 4> aspect{};
};

// The settings the layout reads each time.
struct VideoOptions {
    std::array<int, 4> autoZoomRes{32, 384, 480, 800};
    double overscanPercent = 10;
    bool sideBySide = false;  // "App and Video": the video fits beside the main window
};

struct VideoHooks {
    std::function<VideoOptions()> Options;
    std::function<void(double percent)> SetOverscanPercent;
    // Moves the engine's window `engine` into `parent` at `rect` (device pixels).
    std::function<void(WindowHandle engine, WindowHandle parent, QRect rect)> PlaceEngineWindow;
    // The video window's keys, in fullscreen, for the main window's key handling.
    std::function<bool(QKeyEvent* event)> HandleKey;
    std::function<int64_t()> MsSinceTitleStart;
    std::function<int64_t()> TickCountMs;
};

struct VideoTimers {
    QTimer* pointerTimer = nullptr;  // 50 ms while a video title is open
    QTimer* placeTimer = nullptr;    // one shot: follow the main window after it moved
};

class VideoPresenter : public QObject {
    Q_OBJECT

public:
    // `videoArea` is the main window's own video area (small monitors).
    VideoPresenter(QWidget& mainWindow, QWidget& videoArea, VideoMenu menu, VideoTimers timers, VideoHooks hooks);
    ~VideoPresenter() override;

    // The fullscreen rail strip: shown over the bottom of the video in fullscreen while the
    // pointer is near; `preferredSize` gives its size for a video window's width.
    void AttachFullscreenRail(QWidget* rail, std::function<QSize(int windowWidth)> preferredSize);

    // A new title shows video in the engine's window `engine`, frame `frame` (pixels), each
    // pixel `pixelShape` times as high as wide (0: square or unknown).
    void SetVideoParameters(WindowHandle engine, QSize frame, double pixelShape);
    void SetVidWinPos();
    void MoveVid();
    // A title without video, or Stop: fullscreen ends, the video window hides, the pointer
    // shows.
    void HideVideo();
    // The engine's window went with its title.
    void TitleClosed();

    void ZoomChosen(int index);
    void AspectChosen(int index);
    void ToggleFullscreen();
    void DisableFullscreen();
    void FullscreenMenuItemEnable(bool enable);
    // Numeric + / -: the overscan percent, while "Overscan" is chosen.
    void ChangeOverscan(int step);
    // A fresh press of Esc: leaves fullscreen, or brings the video or the main window to the
    // front. False when it did nothing.
    bool EscPressed();
    void ShowPointer();

    bool Fullscreen() const { return fullscreen_; }
    // The shape the video is shown in (width / height, by the aspect choice); 0 without video.
    double VideoAspectRatio() const;
    bool SeparateWindowVisible() const;
    VideoWindow& Window() const { return *window_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetVideoZoomValue(float zoom);
    void CheckZoomItem(int index);
    QRect MonitorOfMainWindow() const;  // logical pixels
    double PixelRatio() const;
    void LayOutFullscreen(const QRect& monitor);
    void LayOutInVideoArea();
    void LayOutWindowed();
    void PlaceEngine(WindowHandle parent, const QRect& deviceRect);
    void FollowMainWindow();
    void SetMaskForOverlap();
    bool VideoBehindMainWindow() const;
    void VideoPressed(Qt::MouseButton button, QPoint globalPos);
    void OnPointerTimer();
    void UpdateFullscreenRail(QPoint pointer);
    void UpdatePointer(QPoint pointer, bool nearRail);
    int64_t Now() const;

    QWidget& main_;
    QWidget& videoArea_;
    VideoMenu menu_;
    VideoTimers timers_;
    VideoHooks hooks_;
    std::unique_ptr<VideoWindow> window_;
    QWidget* rail_ = nullptr;
    std::function<QSize(int)> railSize_;

    WindowHandle engine_ = 0;
    QSize frame_;
    AspectSizes aspects_{};
    int aspectIndex_ = kAspectDefault;
    float zoomWindow_ = 1;
    float zoomFullscreen_ = kFitZoom;
    bool fullscreen_ = false;
    bool leavingFullscreen_ = false;
    bool overlapsMainWindow_ = false;
    bool inVideoArea_ = false;

    QPoint lastPointer_;
    int stillTicks_ = 0;
    int64_t lastLeftPress_ = INT64_MIN / 2;
};

}  // namespace vistrel::video
