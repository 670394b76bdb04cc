#include "video/SeekPreview.h"

#include "platform/gst/PreviewGraph.h"
#include "support/Hooks.h"
#include "support/TimeText.h"
#include "video/SeekPreviewWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vistrel::video {

namespace {

constexpr int kGapAboveRail = 4;
constexpr double kDefaultAspect = 16.0 / 9.0;

}  // namespace

QSize PreviewPictureSize(bool overFullscreenRail, int widthMain, int videoWindowWidth, int divisor, double aspect)
{
    int width = widthMain;
    if (overFullscreenRail && divisor > 0)
        width = std::max(videoWindowWidth / divisor, widthMain);
    const double shape = aspect > 0 ? aspect : kDefaultAspect;
    return {width, std::max(1, static_cast<int>(std::lround(width / shape)))};
}

QPoint PreviewWindowPos(QSize size, int centreX, int bottomY, const QRect& screen)
{
    QPoint at(centreX - size.width() / 2, bottomY - size.height());
    if (!screen.isEmpty()) {
        at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())));
        at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())));
    }
    return at;
}

std::string PreviewTimeText(int64_t ms)
{
    return " " + MinutesSecondsText(ms) + " ";
}

SeekPreview::SeekPreview(SeekPreviewTimers timers, SeekPreviewHooks hooks, QObject* parent)
    : QObject(parent), Hooks(std::move(hooks)), timers_(timers)
{
    setObjectName("SeekPreview");
    timers_.updateTimer->setSingleShot(true);
    connect(timers_.showTimer, &QTimer::timeout, this, &SeekPreview::OnShowTimer);
    connect(timers_.updateTimer, &QTimer::timeout, this, &SeekPreview::OnUpdateTimer);
    connect(timers_.pointerTimer, &QTimer::timeout, this, &SeekPreview::OnPointerTimer);
}

SeekPreview::~SeekPreview() = default;

bool SeekPreview::HaveVid() const
{
    return graph_ && !graph_->Frame().isNull();
}

bool SeekPreview::Visible() const
{
    return window_ && window_->isVisible();
}

SeekPreview::Rail SeekPreview::RailUnderPointer(QRect* railRect) const
{
    const QPoint pointer = CallOr(Hooks.PointerPos, QPoint(-1, -1));
    for (const auto& [rail, hook] : {std::pair{Rail::Fullscreen, &Hooks.FullscreenRailRect}, {Rail::Main, &Hooks.MainRailRect}}) {
        const QRect rect = CallOr(*hook, QRect());
        if (rect.contains(pointer)) {
            if (railRect)
                *railRect = rect;
            return rail;
        }
    }
    return Rail::None;
}

void SeekPreview::OnShowTimer()
{
    if (!CallOr(Hooks.TitleOpen, false))
        return;
    QRect railRect;
    const Rail rail = RailUnderPointer(&railRect);
    if (rail == Rail::None) {
        timers_.showTimer->stop();
        Hide();
        return;
    }
    if (!window_) {
        const SeekPreviewOptions options = CallOr(Hooks.Options, SeekPreviewOptions{});
        window_ = std::make_unique<SeekPreviewWindow>(options.back, options.text);
    }
    LayOut(rail, railRect);
    if (!HaveVid()) {
        if (!OpenGraph())
            return;
        OnUpdateTimer();
    }
    ShowWindow();
}

// Sized for the rail under the pointer, the tab for the title's length (the widest time),
// and placed over the rail at the pointer.
void SeekPreview::LayOut(Rail rail, const QRect& railRect)
{
    const SeekPreviewOptions options = CallOr(Hooks.Options, SeekPreviewOptions{});
    const QSize picture =
        PreviewPictureSize(rail == Rail::Fullscreen, options.widthMain, CallOr(Hooks.VideoWindowWidth, 0),
                           options.fullscreenDivisor, CallOr(Hooks.VideoAspectRatio, 0.0));
    window_->SetShape(picture, QString::fromStdString(MinutesSecondsText(CallOr(Hooks.TitleLengthMs, int64_t(0)))));
    Move(CallOr(Hooks.PointerPos, QPoint()).x(), railRect.top() - kGapAboveRail);
}

bool SeekPreview::OpenGraph()
{
    const std::string file = CallOr(Hooks.CurrentFile, std::string());
    if (file.empty() || file == failedFile_)
        return false;
    std::string error;
    graph_ = gst::PreviewGraph::Open(file, error);
    if (!graph_) {
        // The title plays on; only the preview is missing.
        std::fprintf(stderr, "Vistrel: no seek preview for %s: %s\n", file.c_str(), error.c_str());
        failedFile_ = file;
        return false;
    }
    lastRel_ = -1;
    seeks_ = 0;
    window_->SetFrame(graph_->Frame());
    return true;
}

void SeekPreview::OnUpdateTimer()
{
    if (RailUnderPointer() == Rail::None) {
        Hide();
        timers_.showTimer->stop();
        return;
    }
    timers_.updateTimer->stop();
    if (!window_ || !HaveVid())
        return;
    ShowWindow();  // hidden when the pointer left the rails, or covered by another window
    const float rel = CallOr(Hooks.MouseMovePosition, 0.0f);
    const int64_t lengthMs = CallOr(Hooks.TitleLengthMs, int64_t(0));
    window_->SetTimeText(QString::fromStdString(PreviewTimeText(std::llround(double(lengthMs) * rel))));
    ShowFrame(rel);
}

// The same fraction again (the pointer back on the same pixel) shows the frame it shows.
void SeekPreview::ShowFrame(float rel)
{
    if (rel == lastRel_)
        return;
    lastRel_ = rel;
    ++seeks_;
    const int64_t lengthMs = CallOr(Hooks.TitleLengthMs, int64_t(0));
    const double seconds = lengthMs > 0 ? double(lengthMs) / 1000.0 * rel : graph_->DurationSeconds() * rel;
    if (graph_->ShowFrame(seconds))
        window_->SetFrame(graph_->Frame());
}

void SeekPreview::Move(int centreX, int bottomY)
{
    if (!window_)
        return;
    const QScreen* screen = QGuiApplication::screenAt(QPoint(centreX, bottomY + kGapAboveRail));
    window_->move(PreviewWindowPos(window_->size(), centreX, bottomY, screen ? screen->geometry() : QRect()));
}

void SeekPreview::ShowWindow()
{
    if (!window_->isVisible())
        window_->show();
    window_->raise();
}

void SeekPreview::Hide()
{
    if (window_)
        window_->hide();
}

// Off the rails or with the title gone the preview hides; while it shows, it stays on top.
void SeekPreview::OnPointerTimer()
{
    if (!Visible())
        return;
    const bool offRails = RailUnderPointer() == Rail::None;
    if (offRails || !CallOr(Hooks.TitleOpen, false)) {
        Hide();
        if (offRails)
            timers_.showTimer->stop();
        return;
    }
    window_->raise();
}

void SeekPreview::Unload()
{
    timers_.showTimer->stop();
    timers_.updateTimer->stop();
    graph_.reset();
    window_.reset();
    failedFile_.clear();
    lastRel_ = -1;
    seeks_ = 0;
}

}  // namespace vistrel::video
