#include "video/VideoPresenter.h"

#include "video/VideoWindow.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vistrel::video {

namespace {

constexpr int64_t kDoubleClickMs = 300;
constexpr int64_t kEscAfterStartMs = 200;
constexpr int kStillPixels = 3;
constexpr int kStillTicksToHide = 10;
constexpr double kMinOverscan = -50;
constexpr double kMaxOverscan = 300;

QSize Scaled(const QSize& s, double ratio)
{
    return {static_cast<int>(std::lround(s.width() * ratio)), static_cast<int>(std::lround(s.height() * ratio))};
}

std::vector<QRect> MonitorRects()
{
    std::vector<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens())
        rects.push_back(screen->geometry());
    return rects;
}

QScreen* ScreenOfRect(const QRect& rect)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    const int primary = static_cast<int>(screens.indexOf(QGuiApplication::primaryScreen()));
    const int index = MonitorOfRect(rect, MonitorRects(), primary < 0 ? 0 : primary);
    return index >= 0 && index < screens.size() ? screens[index] : QGuiApplication::primaryScreen();
}

}  // namespace

VideoPresenter::VideoPresenter(QWidget& mainWindow, QWidget& videoArea, VideoMenu menu, VideoTimers timers,
                               VideoHooks hooks)
    : QObject(&mainWindow),
      main_(mainWindow),
      videoArea_(videoArea),
      menu_(menu),
      timers_(timers),
      hooks_(std::move(hooks)),
      window_(std::make_unique<VideoWindow>())
{
    setObjectName("VideoPresenter");
    window_->ForwardKey = [this](QKeyEvent* event) { return hooks_.HandleKey && hooks_.HandleKey(event); };
    connect(window_.get(), &VideoWindow::MousePressed, this, &VideoPresenter::VideoPressed);
    connect(timers_.pointerTimer, &QTimer::timeout, this, &VideoPresenter::OnPointerTimer);
    timers_.placeTimer->setSingleShot(true);
    connect(timers_.placeTimer, &QTimer::timeout, this, &VideoPresenter::FollowMainWindow);
    main_.installEventFilter(this);
    videoArea_.installEventFilter(this);
    for (int i = 0; i < kZoomItemCount; ++i)
        connect(menu_.zoom[size_t(i)], &QAction::triggered, this, [this, i] { ZoomChosen(i); });
    for (int i = 0; i < 4; ++i)
        connect(menu_.aspect[size_t(i)], &QAction::triggered, this, [this, i] { AspectChosen(i); });
    // Checkable for its tick; the click toggles through ToggleFullscreen, which sets it.
    connect(menu_.fullscreen, &QAction::triggered, this, [this] {
        menu_.fullscreen->setChecked(fullscreen_);
        ToggleFullscreen();
    });
}

VideoPresenter::~VideoPresenter()
{
    window_->SetPointerHidden(false);
}

void VideoPresenter::AttachFullscreenRail(QWidget* rail, std::function<QSize(int)> preferredSize)
{
    rail_ = rail;
    railSize_ = std::move(preferredSize);
    rail_->setParent(window_.get());
    rail_->hide();
}

int64_t VideoPresenter::Now() const
{
    return hooks_.TickCountMs ? hooks_.TickCountMs() : 0;
}

double VideoPresenter::PixelRatio() const
{
    return main_.devicePixelRatioF();
}

// The monitor that holds the largest part of the main window.
QRect VideoPresenter::MonitorOfMainWindow() const
{
    const QScreen* screen = ScreenOfRect(main_.frameGeometry());
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

// ---- A title ------------------------------------------------------------------------

void VideoPresenter::SetVideoParameters(WindowHandle engine, QSize frame, double pixelShape)
{
    engine_ = engine;
    frame_ = frame;
    if (engine == 0 || frame.height() <= 0 || frame.width() <= 0)
        return;
    const QSize monitor = Scaled(MonitorOfMainWindow().size(), PixelRatio());
    aspects_ = BuildAspectSizes(frame, pixelShape, monitor.width());
    const std::array<bool, 3> fit = LargeZoomsFit(aspects_[kAspectDefault], monitor);
    for (int i = 0; i < 3; ++i)
        menu_.zoom[size_t(6 + i)]->setEnabled(fit[size_t(i)]);
    const VideoOptions options = hooks_.Options ? hooks_.Options() : VideoOptions{};
    const int beside = options.sideBySide ? static_cast<int>(std::lround(main_.frameGeometry().width() * PixelRatio())) : 0;
    zoomWindow_ = AutoZoom(frame, aspects_[kAspectDefault], monitor, options.autoZoomRes, beside);
    menu_.zoomMenu->setEnabled(true);
    menu_.aspectMenu->setEnabled(true);
    AspectChosen(kAspectDefault);
}

void VideoPresenter::SetVidWinPos()
{
    if (frame_.height() <= 0 || engine_ == 0)
        return;
    if (zoomWindow_ == 0)
        zoomWindow_ = 1;
    const QRect monitor = MonitorOfMainWindow();
    if (fullscreen_)
        LayOutFullscreen(monitor);
    else if (monitor.width() * PixelRatio() < kSmallMonitorWidth)
        LayOutInVideoArea();
    else
        LayOutWindowed();
}

// Geometry first, then the fullscreen state: without a window manager the state alone
// neither moves nor sizes the window.
void VideoPresenter::LayOutFullscreen(const QRect& monitor)
{
    SetVideoZoomValue(zoomFullscreen_);
    const VideoOptions options = hooks_.Options ? hooks_.Options() : VideoOptions{};
    const double ratio = PixelRatio();
    const QRect video = FullscreenVideoRect(aspects_[size_t(aspectIndex_)], zoomFullscreen_,
                                            Scaled(monitor.size(), ratio), options.overscanPercent);
    inVideoArea_ = false;
    videoArea_.hide();
    window_->clearMask();
    window_->SetFocusable(true);
    window_->setGeometry(monitor);
    window_->showFullScreen();
    window_->setGeometry(monitor);
    PlaceEngine(window_->NativeWindow(), video);
    window_->raise();
    window_->activateWindow();
}

void VideoPresenter::LayOutInVideoArea()
{
    window_->hide();
    inVideoArea_ = true;
    videoArea_.show();
    const QSize area = Scaled(videoArea_.size(), PixelRatio());
    PlaceEngine(static_cast<WindowHandle>(videoArea_.winId()), FitInVideoArea(aspects_[size_t(aspectIndex_)], area));
}

void VideoPresenter::LayOutWindowed()
{
    SetVideoZoomValue(zoomWindow_);
    const double ratio = PixelRatio();
    const QSize video = WindowedVideoSize(aspects_[size_t(aspectIndex_)], zoomWindow_);
    const QSize windowSize = VideoWindowSize(video);
    inVideoArea_ = false;
    videoArea_.hide();
    if (window_->isFullScreen())
        window_->showNormal();
    window_->SetFocusable(false);
    window_->resize(Scaled(windowSize, 1.0 / ratio));
    MoveVid();
    PlaceEngine(window_->NativeWindow(), CentredIn(windowSize, video));
    window_->show();
    window_->raise();
}

void VideoPresenter::PlaceEngine(WindowHandle parent, const QRect& deviceRect)
{
    if (hooks_.PlaceEngineWindow)
        hooks_.PlaceEngineWindow(engine_, parent, deviceRect);
}

void VideoPresenter::HideVideo()
{
    DisableFullscreen();
    ShowPointer();
    if (rail_)
        rail_->hide();
    window_->hide();
    if (inVideoArea_)
        videoArea_.hide();
    inVideoArea_ = false;
}

void VideoPresenter::TitleClosed()
{
    timers_.pointerTimer->stop();
    engine_ = 0;
    frame_ = {};
    aspects_ = {};
    menu_.zoomMenu->setEnabled(false);
    menu_.aspectMenu->setEnabled(false);
    if (rail_)
        rail_->hide();
}

bool VideoPresenter::SeparateWindowVisible() const
{
    return window_->isVisible();
}

// ---- Beside the main window -----------------------------------------------------------

void VideoPresenter::MoveVid()
{
    if (fullscreen_ || inVideoArea_ || engine_ == 0)
        return;
    const QScreen* screen = ScreenOfRect(main_.frameGeometry());
    const QRect area = screen ? screen->availableGeometry() : MonitorOfMainWindow();
    const VideoPlacement place = PlaceBesideMainWindow(main_.frameGeometry(), window_->frameGeometry().size(), area);
    overlapsMainWindow_ = place.overlapsMainWindow;
    if (window_->pos() != place.topLeft)
        window_->move(place.topLeft);
    SetMaskForOverlap();
}

// A move onto a small monitor, or off one, changes where the video goes.
void VideoPresenter::FollowMainWindow()
{
    if (fullscreen_ || engine_ == 0)
        return;
    const bool small = MonitorOfMainWindow().width() * PixelRatio() < kSmallMonitorWidth;
    if (small != inVideoArea_)
        SetVidWinPos();
    else
        MoveVid();
}

// Where the video window had to go over the main window, the part the main window covers
// is cut out, so the main window stays in sight whichever is in front.
void VideoPresenter::SetMaskForOverlap()
{
    const QRect video = window_->frameGeometry();
    const QRect covered = video.intersected(main_.frameGeometry());
    if (!overlapsMainWindow_ || covered.isEmpty()) {
        window_->clearMask();
        return;
    }
    QRegion visible(QRect(QPoint(0, 0), video.size()));
    visible -= QRegion(covered.translated(-video.topLeft()));
    window_->setMask(visible);
}

// The main window is in front of the video where they meet: at the video's top corner
// nearest the main window.
bool VideoPresenter::VideoBehindMainWindow() const
{
    const QRect video = window_->frameGeometry();
    const bool mainIsLeft = main_.frameGeometry().center().x() < video.center().x();
    const QPoint corner = mainIsLeft ? video.topLeft() + QPoint(1, 1) : video.topRight() + QPoint(-1, 1);
    return QApplication::topLevelAt(corner) == &main_;
}

// ---- The video menu -------------------------------------------------------------------

void VideoPresenter::CheckZoomItem(int index)
{
    for (int i = 0; i < kZoomItemCount; ++i)
        menu_.zoom[size_t(i)]->setChecked(i == index);
}

// The fit and overscan "factors" tick their own items; any other factor the nearest
// step at or above it.
void VideoPresenter::SetVideoZoomValue(float zoom)
{
    int index = ZoomIndexByFactor(zoom);
    if (zoom == 0)
        index = kZoom100;
    else if (zoom == kFitZoom)
        index = kZoomFitItem;
    else if (zoom == kOverscanZoom)
        index = kZoomOverscanItem;
    CheckZoomItem(index);
    if (zoom == kFitZoom || zoom == kOverscanZoom)
        fullscreen_ = true;
    menu_.fullscreen->setChecked(fullscreen_);
    (fullscreen_ ? zoomFullscreen_ : zoomWindow_) = zoom;
}

void VideoPresenter::ZoomChosen(int index)
{
    const float zoom = ZoomFactorByIndex(index);
    if (zoom == 0 || engine_ == 0)
        return;
    SetVideoZoomValue(zoom);
    SetVidWinPos();
}

double VideoPresenter::VideoAspectRatio() const
{
    const QSize shape = aspects_[size_t(aspectIndex_)];
    return shape.isEmpty() ? 0 : double(shape.width()) / shape.height();
}

void VideoPresenter::AspectChosen(int index)
{
    if (index < 0 || index > 3)
        return;
    for (int i = 0; i < 4; ++i)
        menu_.aspect[size_t(i)]->setChecked(aspects_[size_t(i)] == aspects_[size_t(index)]);
    aspectIndex_ = index;
    SetVidWinPos();
}

void VideoPresenter::ToggleFullscreen()
{
    if (!menu_.fullscreen->isEnabled() || engine_ == 0)
        return;
    fullscreen_ = !fullscreen_;
    menu_.fullscreen->setChecked(fullscreen_);
    if (fullscreen_) {
        zoomFullscreen_ = kFitZoom;
        SetVidWinPos();
        return;
    }
    ShowPointer();
    if (rail_)
        rail_->hide();
    window_->showNormal();
    SetVidWinPos();
    main_.raise();
    main_.activateWindow();
}

void VideoPresenter::DisableFullscreen()
{
    if (!fullscreen_ || leavingFullscreen_)
        return;
    leavingFullscreen_ = true;
    if (engine_ != 0 && menu_.fullscreen->isEnabled()) {
        ToggleFullscreen();
    } else {
        fullscreen_ = false;
        menu_.fullscreen->setChecked(false);
        window_->showNormal();
    }
    leavingFullscreen_ = false;
}

void VideoPresenter::FullscreenMenuItemEnable(bool enable)
{
    menu_.fullscreen->setEnabled(enable);
    menu_.zoom[kZoomFitItem]->setEnabled(enable);
    menu_.zoom[kZoomOverscanItem]->setEnabled(enable);
}

void VideoPresenter::ChangeOverscan(int step)
{
    if (!menu_.zoom[kZoomOverscanItem]->isChecked() || !hooks_.Options || !hooks_.SetOverscanPercent)
        return;
    const double percent = std::clamp(hooks_.Options().overscanPercent + step, kMinOverscan, kMaxOverscan);
    hooks_.SetOverscanPercent(percent);
    SetVidWinPos();
}

// ---- Keys, buttons and the pointer ------------------------------------------------------

bool VideoPresenter::EscPressed()
{
    if (engine_ == 0 || (hooks_.MsSinceTitleStart && hooks_.MsSinceTitleStart() <= kEscAfterStartMs))
        return false;
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget())
        return false;
    if (fullscreen_) {
        ToggleFullscreen();
        return true;
    }
    if (!window_->isVisible())
        return false;
    if (overlapsMainWindow_ && !VideoBehindMainWindow()) {
        main_.raise();
        main_.activateWindow();
    } else {
        window_->raise();
    }
    return true;
}

void VideoPresenter::VideoPressed(Qt::MouseButton button, QPoint globalPos)
{
    if (button == Qt::RightButton) {
        ShowPointer();
        menu_.menu->popup(globalPos);
        return;
    }
    const int64_t now = Now();
    if (now - lastLeftPress_ < kDoubleClickMs) {
        lastLeftPress_ = INT64_MIN / 2;
        ToggleFullscreen();
        return;
    }
    lastLeftPress_ = now;
}

void VideoPresenter::ShowPointer()
{
    window_->SetPointerHidden(false);
    stillTicks_ = 0;
}

void VideoPresenter::OnPointerTimer()
{
    if (engine_ == 0)
        return;
    const QPoint pointer = QCursor::pos();
    if (!fullscreen_) {
        if (rail_ && rail_->isVisible())
            rail_->hide();
        ShowPointer();
        lastPointer_ = pointer;
        return;
    }
    const QScreen* screen = window_->screen();
    const int dpi = screen ? static_cast<int>(screen->logicalDotsPerInchY()) : 96;
    const bool nearRail = InRailZone(pointer, window_->geometry(), dpi);
    UpdateFullscreenRail(nearRail ? pointer : QPoint());
    UpdatePointer(pointer, nearRail);
    lastPointer_ = pointer;
}

void VideoPresenter::UpdateFullscreenRail(QPoint pointer)
{
    if (!rail_)
        return;
    if (pointer.isNull()) {
        rail_->hide();
        return;
    }
    const QSize size = railSize_ ? railSize_(window_->width()) : rail_->sizeHint();
    rail_->setGeometry(FullscreenRailRect(QRect(QPoint(0, 0), window_->size()), size));
    if (!rail_->isVisible()) {
        rail_->show();
        // The engine's window, moved in later, stands above its siblings. Qt restacks a
        // widget only among the widgets it knows, so the rail's own X window is raised.
        rail_->windowHandle()->raise();
    }
}

// In fullscreen a pointer resting over the video for half a second is hidden; a move of
// more than a few pixels, or the rail's zone, shows it again.
void VideoPresenter::UpdatePointer(QPoint pointer, bool nearRail)
{
    const bool overVideo = window_->geometry().contains(pointer);
    if (!overVideo || nearRail) {
        ShowPointer();
        return;
    }
    const QPoint moved = pointer - lastPointer_;
    if (std::abs(moved.x()) <= kStillPixels && std::abs(moved.y()) <= kStillPixels) {
        if (++stillTicks_ == kStillTicksToHide)
            window_->SetPointerHidden(true);
        return;
    }
    ShowPointer();
}

// The main window's moves and activation, and presses on its video area.
bool VideoPresenter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &main_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            if (!fullscreen_ && engine_ != 0)
                timers_.placeTimer->start();
            break;
        case QEvent::WindowActivate:
            if (!fullscreen_ && window_->isVisible()) {
                window_->raise();
                main_.raise();
            }
            break;
        default: break;
        }
    } else if (watched == &videoArea_) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            VideoPressed(mouse->button(), mouse->globalPosition().toPoint());
            return true;
        }
        if (event->type() == QEvent::Resize && inVideoArea_)
            LayOutInVideoArea();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vistrel::video
