#include "video/VideoLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vistrel::video {

namespace {

constexpr std::array<float, kZoomItemCount> kZoomTable{
    0.25f, 0.333333333f, 0.5f, 0.66666667f, 0.75f, 1.0f, 1.5f, 2.0f, 3.0f, kFitZoom, kOverscanZoom};
constexpr int kZoom300 = 8;

int Round(double value) { return static_cast<int>(std::lround(value)); }

double AspectRatio(QSize size) { return double(size.width()) / size.height(); }

QSize WithWidth(QSize size, int width) { return {width, size.height()}; }
QSize WithHeight(QSize size, int height) { return {size.width(), height}; }

QSize FourByThree(QSize frame, int ratio)
{
    return ratio < 1333 ? WithWidth(frame, Round(frame.height() * 1.333))
                        : WithHeight(frame, Round(frame.width() / 1.333));
}

QSize SixteenByNine(QSize frame, int ratio, int widthLimit)
{
    const int wide = Round(frame.height() * 1.778);
    return ratio < 1778 && wide <= widthLimit ? WithWidth(frame, wide)
                                              : WithHeight(frame, Round(frame.width() / 1.778));
}

// Without a pixel shape, the frames of standard-definition NTSC video (704..768 x 480)
// are known to be 4:3 pictures stored with narrow pixels.
QSize DefaultSize(QSize frame, QSize fourByThree, double pixelShape, int widthLimit)
{
    if (pixelShape == 0) {
        const bool ntscFrame = frame.width() >= 704 && frame.width() <= 768 && frame.height() == 480;
        return ntscFrame ? fourByThree : frame;
    }
    if (pixelShape < 1) {
        const int wide = Round(frame.width() / pixelShape);
        if (wide <= widthLimit)
            return WithWidth(frame, wide);
    }
    return WithHeight(frame, Round(frame.height() * pixelShape));
}

// The starting zoom from the picture's size: the largest factor whose threshold the
// "Default" size stays within and whose frame height is below the monitor's.
float ZoomBySize(QSize frame, QSize defaultSize, QSize monitor, const std::array<int, 4>& autoZoomRes)
{
    constexpr std::array<int, 4> percents{300, 200, 142, 100};
    const int side = std::max(defaultSize.width(), defaultSize.height());
    for (size_t i = 0; i < percents.size(); ++i)
        if (percents[i] * frame.height() / 100 < monitor.height() && side <= autoZoomRes[i])
            return percents[i] / 100.0f;
    return 1.0f;
}

// Frames larger than the monitor start reduced to a zoom-menu factor that shows most of
// them; the factors are the menu's own so that its tick matches.
float ReducedZoom(QSize frame, QSize monitor, float zoom)
{
    struct Step {
        double times;
        int item;
    };
    constexpr std::array<Step, 5> steps{{{4, 0}, {3, 1}, {2, 2}, {1.5, 3}, {1.3333, 4}}};
    for (const Step& step : steps)
        if (frame.width() >= step.times * monitor.width() || frame.height() >= step.times * monitor.height())
            return kZoomTable[step.item];
    return zoom;
}

int64_t IntersectionArea(QRect a, QRect b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : int64_t{common.width()} * common.height();
}

}  // namespace

float ZoomFactorByIndex(int index)
{
    return index >= 0 && index < kZoomItemCount ? kZoomTable[index] : 0.0f;
}

int ZoomIndexByFactor(float zoom)
{
    if (zoom == 0)
        return -1;
    for (int i = 1; i < kZoom300; ++i)
        if (kZoomTable[i] >= zoom)
            return i;
    return kZoom300;
}

float PreviousZoomFactor(float zoom)
{
    for (int i = kZoom300; i >= 0; --i)
        if (kZoomTable[i] < zoom)
            return kZoomTable[i];
    return 0.0f;
}

AspectSizes BuildAspectSizes(QSize frame, double pixelShape, int widthLimit)
{
    AspectSizes sizes{frame, frame, frame, frame};
    if (frame.width() <= 0 || frame.height() <= 0)
        return sizes;
    const int ratio = static_cast<int>(AspectRatio(frame) * 1000);
    sizes[kAspect4x3] = FourByThree(frame, ratio);
    sizes[kAspect16x9] = SixteenByNine(frame, ratio, widthLimit);
    sizes[kAspectDefault] = DefaultSize(frame, sizes[kAspect4x3], pixelShape, widthLimit);
    return sizes;
}

std::array<bool, 3> LargeZoomsFit(QSize defaultSize, QSize monitor)
{
    std::array<bool, 3> fit{};
    for (int i = 0; i < 3; ++i) {
        const QSize zoomed = WindowedVideoSize(defaultSize, kZoomTable[kZoom100 + 1 + i]);
        fit[i] = zoomed.width() <= monitor.width() && zoomed.height() <= monitor.height();
    }
    return fit;
}

float AutoZoom(QSize frame, QSize defaultSize, QSize monitor, const std::array<int, 4>& autoZoomRes,
               int mainWindowWidth)
{
    float zoom = ReducedZoom(frame, monitor, ZoomBySize(frame, defaultSize, monitor, autoZoomRes));
    if (mainWindowWidth <= 0)
        return zoom;
    const double roomWidth = monitor.width() - mainWindowWidth;
    while ((zoom * frame.width() > roomWidth || zoom * frame.height() > monitor.height()) && zoom >= 1)
        zoom = PreviousZoomFactor(zoom);
    return zoom;
}

QRect FullscreenVideoRect(QSize aspect, float zoom, QSize monitor, double overscanPercent)
{
    if (aspect.isEmpty() || monitor.isEmpty())
        return {};
    const double videoRatio = AspectRatio(aspect);
    const bool fit = zoom == kFitZoom || zoom == kOverscanZoom;
    QSize size;
    if (videoRatio <= AspectRatio(monitor)) {
        const int height = fit ? monitor.height() : Round(aspect.height() * zoom);
        size = {Round(height * videoRatio), height};
    } else {
        const int width = fit ? monitor.width() : Round(aspect.width() * zoom);
        size = {width, Round(width / videoRatio)};
    }
    QRect rect = CentredIn(monitor, size);
    if (zoom != kOverscanZoom)
        return rect;
    const double grow = overscanPercent / 100;
    return {rect.x() - Round(rect.width() * grow / 2), rect.y() - Round(rect.height() * grow / 2),
            Round(rect.width() * (1 + grow)), Round(rect.height() * (1 + grow))};
}

QSize WindowedVideoSize(QSize aspect, float zoom)
{
    return {Round(aspect.width() * double(zoom)), Round(aspect.height() * double(zoom))};
}

QSize VideoWindowSize(QSize videoSize) { return videoSize + QSize(1, 1); }

QRect CentredIn(QSize client, QSize video)
{
    return {QPoint((client.width() - video.width()) / 2, (client.height() - video.height()) / 2), video};
}

QRect FitInVideoArea(QSize aspect, QSize area)
{
    const QSize inner = area - QSize(4, 7);
    if (aspect.isEmpty() || inner.isEmpty())
        return {};
    const double videoRatio = AspectRatio(aspect);
    const QSize size = videoRatio <= AspectRatio(inner) ? QSize(Round(inner.height() * videoRatio), inner.height())
                                                        : QSize(inner.width(), Round(inner.width() / videoRatio));
    return CentredIn(area, size);
}

VideoPlacement PlaceBesideMainWindow(QRect mainFrame, QSize videoWindow, QRect monitorArea)
{
    const int monitorRight = monitorArea.x() + monitorArea.width();
    const int monitorBottom = monitorArea.y() + monitorArea.height();
    int y = monitorArea.y() + (monitorArea.height() - videoWindow.height()) / 2;
    if (videoWindow.height() <= monitorArea.height())
        y = std::clamp(mainFrame.y(), monitorArea.y(), monitorBottom - videoWindow.height());

    const int right = mainFrame.x() + mainFrame.width();
    if (right + videoWindow.width() <= monitorRight)
        return {{right, y}, false};
    const int left = mainFrame.x() - videoWindow.width();
    if (left >= monitorArea.x())
        return {{left, y}, false};
    // No room on either side: against the monitor's right edge, where it covers the least
    // of a main window that starts further left.
    return {{std::max(monitorRight - videoWindow.width(), monitorArea.x()), y}, true};
}

int MonitorOfRect(QRect rect, const std::vector<QRect>& monitors, int primary)
{
    int best = primary;
    int64_t bestArea = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const int64_t area = IntersectionArea(rect, monitors[i]);
        if (area > bestArea) {
            best = static_cast<int>(i);
            bestArea = area;
        }
    }
    return best;
}

int RailZoneHeight(int monitorHeight, int dpi) { return std::max(monitorHeight / 6, 48 * dpi / 96); }

bool InRailZone(QPoint pointer, QRect monitor, int dpi)
{
    return monitor.contains(pointer) &&
           pointer.y() >= monitor.y() + monitor.height() - RailZoneHeight(monitor.height(), dpi);
}

QRect FullscreenRailRect(QRect videoWindow, QSize rail)
{
    const int x = videoWindow.x() + (videoWindow.width() - rail.width()) / 2;
    const int y = videoWindow.y() + videoWindow.height() - 4 - rail.height();
    return {QPoint(x, y), rail};
}

}  // namespace vistrel::video
