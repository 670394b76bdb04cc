#pragma once
// Where a title's video goes, as pure functions over sizes and rectangles in device pixels:
// the zoom steps of the video menu, the sizes of the four aspect choices, the automatic
// zoom a new title starts with, the rectangle in fullscreen (fit, overscan or a plain
// factor), the window-mode size and the place beside the main window, the monitor a window
// is on, and the bottom zone of a monitor that brings up the fullscreen rail.
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <vector>

namespace vistrel::video {

// The zoom menu's items in order: 25, 33, 50, 67, 75, 100, 150, 200, 300 %, then the two
// fullscreen choices, whose "factors" are markers.
inline constexpr int kZoomItemCount = 11;
inline constexpr int kZoom100 = 5;
inline constexpr int kZoomFitItem = 9;       // "Fullscreen": fit the monitor
inline constexpr int kZoomOverscanItem = 10; // "Overscan": fit, enlarged by the overscan percent
inline constexpr float kFitZoom = 100.0f;
inline constexpr float kOverscanZoom = 101.0f;

// The factor of zoom item `index`; 0 outside 0..10.
float ZoomFactorByIndex(int index);
// The item to tick for factor `zoom`: -1 for 0; else the first item from 1 whose factor is
// at least `zoom`, but never beyond 8 (300 %), so 0.25 ticks item 1 and 1.42 ticks 150 %.
int ZoomIndexByFactor(float zoom);
// The largest zoom-table factor below `zoom` (1.42 -> 1, 1 -> 0.75); 0 below 0.25.
float PreviousZoomFactor(float zoom);

// The aspect choices of the video menu: index into AspectSizes.
enum AspectChoice { kAspectAsIs = 0, kAspect4x3 = 1, kAspect16x9 = 2, kAspectDefault = 3 };
using AspectSizes = std::array<QSize, 4>;

// The displayed size of each aspect choice for a frame of `frame` pixels. `pixelShape` is the
// height / width of one pixel (0: the file gives none; then 704..768 x 480 frames show at
// 4:3). `widthLimit` caps the widening of 16:9 and of a pixel shape below 1: beyond it the
// picture gets lower instead of wider.
AspectSizes BuildAspectSizes(QSize frame, double pixelShape, int widthLimit);

// Which of the 150, 200 and 300 % items may be chosen: the "Default" size at that factor
// fits the monitor.
std::array<bool, 3> LargeZoomsFit(QSize defaultSize, QSize monitor);

// The zoom a new title starts with in window mode. `autoZoomRes` are the largest picture
// sides (of the "Default" size) that start at 300, 200, 142 and 100 %; frames larger than
// the monitor start smaller. `mainWindowWidth` > 0 when the video must fit beside the main
// window ("App and Video"): then the zoom steps down until the frame fits what is left, but
// not below 100 % unless it started there.
float AutoZoom(QSize frame, QSize defaultSize, QSize monitor, const std::array<int, 4>& autoZoomRes,
               int mainWindowWidth);

// The video's rectangle in fullscreen, relative to the monitor's top-left corner, for the
// aspect size `aspect` and zoom `zoom` (kFitZoom, kOverscanZoom or a plain factor). Fit
// fills the monitor's height or width, centred; overscan enlarges that by `overscanPercent`
// around its centre (it may reach beyond the monitor); a plain factor is centred.
QRect FullscreenVideoRect(QSize aspect, float zoom, QSize monitor, double overscanPercent);

// Window mode: the video's size at `zoom` (rounded), and the video window's size, one pixel
// larger each way than the picture (the window has no frame).
QSize WindowedVideoSize(QSize aspect, float zoom);
QSize VideoWindowSize(QSize videoSize);
// The picture centred in a window whose inside is `client`.
QRect CentredIn(QSize client, QSize video);

// Monitors narrower than this show the video in the main window's own video area.
inline constexpr int kSmallMonitorWidth = 801;
// The aspect-correct picture as large as fits the main window's video area `area` less a
// margin of 4 by 7 pixels, centred in the area.
QRect FitInVideoArea(QSize aspect, QSize area);

// The video window's top-left corner beside the main window's frame `mainFrame` on a
// monitor whose usable area is `monitorArea`: right of the main window when there is room,
// else left of it, in line with its top but inside the monitor (centred when taller); when
// neither side has room it stands over the main window, and `overlapsMainWindow` is set.
struct VideoPlacement {
    QPoint topLeft;
    bool overlapsMainWindow = false;
};
VideoPlacement PlaceBesideMainWindow(QRect mainFrame, QSize videoWindow, QRect monitorArea);

// The index of the monitor that holds the largest part of `rect`; `primary` when it
// overlaps none.
int MonitorOfRect(QRect rect, const std::vector<QRect>& monitors, int primary);

// The bottom zone of a monitor that shows the fullscreen rail: a sixth of its height, but
// at least 48 pixels at 96 dpi.
int RailZoneHeight(int monitorHeight, int dpi);
bool InRailZone(QPoint pointer, QRect monitor, int dpi);
// The fullscreen rail's rectangle: centred on the video window, 4 pixels above its bottom.
QRect FullscreenRailRect(QRect videoWindow, QSize rail);

}  // namespace vistrel::video
