#include "app/frmMain.h"

#include "app/WindowPlacement.h"
#include "app/basMain.h"
#include "platform/desktop/X11Windows.h"
#include "platform/gst/GstAvailability.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

namespace vistrel {

namespace {

constexpr int kDesignedWidth = 800;
constexpr int kDesignedHeight = 560;

}  // namespace

frmMain::frmMain(const std::string& modulePath, QWidget* parent)
    : QMainWindow(parent), store_(basMain::IniFile, basMain::IniBackupFile),
      environment_(MakeSettingsEnvironment(IsDirectShowAvailable))
{
    setWindowTitle(QString::fromStdString(basMain::AppTitle.empty() ? kAppTitle : basMain::AppTitle));
    resize(kDesignedWidth, kDesignedHeight);
    Form_Load();
}

void frmMain::Form_Load()
{
    store_.ReadSettings(settings_, environment_);
    ApplyWindowPlacement();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    event->accept();
    emit Unloaded();
}

void frmMain::Form_QueryUnload()
{
    closing_ = true;
    RememberWindowPlacement();
    store_.SaveSettings(settings_, environment_);
}

void frmMain::ApplyWindowPlacement()
{
    WindowPlacementInput in;
    in.X = settings_.Left;
    in.Y = settings_.Top;
    in.W = frameGeometry().width();
    in.H = frameGeometry().height();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        in.monitors.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        in.primaryHeight = primary->geometry().height();
    // internalWinId() is 0 while the window has no native window yet (it is not shown at
    // load), which leaves no frame extents to read and no own window to skip.
    const auto ownWindow = static_cast<uint32_t>(internalWinId());
    const std::string appTitle = basMain::AppTitle.empty() ? kAppTitle : basMain::AppTitle;
    in.otherInstances = OtherInstanceWindows(ownWindow, appTitle);
    const int styleCaptionHeight = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    in.captionHeight = FrameExtentsTop(ownWindow).value_or(styleCaptionHeight);
    const WindowPlacementResult result = ComputeWindowPlacement(in);
    if (!result.keepDefaultPosition)
        move(result.X, result.Y);
}

void frmMain::RememberWindowPlacement()
{
    settings_.Minimized = isMinimized();
    settings_.Left = frameGeometry().x();
    settings_.Top = frameGeometry().y();
}

}  // namespace vistrel
