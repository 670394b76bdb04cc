#include "app/MainWindow.h"

#include "app/CommandLine.h"
#include "app/MainMenus.h"
#include "app/MainTimers.h"
#include "app/ProgramValues.h"
#include "app/StartFolder.h"
#include "app/WindowPlacement.h"
#include "app/WindowSettings.h"
#include "app/WindowTitleHost.h"
#include "browser/Drives.h"
#include "browser/FileBrowser.h"
#include "browser/FileList.h"
#include "browser/FileOperations.h"
#include "controls/PositionRail.h"
#include "controls/PositionRailWidget.h"
#include "platform/desktop/Mpris.h"
#include "platform/desktop/X11Windows.h"
#include "platform/gst/GstAvailability.h"
#include "platform/mci/MciService.h"
#include "playback/DirectShowPlayer.h"
#include "platform/mixer/PulseMixer.h"
#include "playback/MciTestPanel.h"
#include "playback/MciVoice.h"
#include "playback/PlayerFront.h"
#include "playback/TempCopies.h"
#include "playback/TitlePlayControl.h"
#include "support/MsgBox.h"
#include "support/TickCount.h"
#include "video/SeekPreview.h"
#include "video/VideoPresenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace vistrel {

namespace {

constexpr int kDesignedWidth = 800;
constexpr int kDesignedHeight = 560;
// expandButton makes the window this much taller at every dpi, uncovering the MCI test panel.
constexpr int kExpandHeightPixels = 70;

std::string LowerCase(const std::string& text)
{
    return QString::fromStdString(text).toLower().toStdString();
}

// Labels that act as buttons: any mouse press on them runs `onPress`.
class PressFilter : public QObject {
public:
    PressFilter(QWidget* widget, std::function<void()> onPress) : QObject(widget), onPress_(std::move(onPress))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonPress)
            return false;
        onPress_();
        return true;
    }

private:
    std::function<void()> onPress_;
};

void OnMousePress(QWidget* widget, std::function<void()> onPress)
{
    new PressFilter(widget, std::move(onPress));
}

void Toggle(QCheckBox* box)
{
    box->setChecked(!box->isChecked());
}

}  // namespace

MainWindow::MainWindow(const std::string& modulePath, QWidget* parent)
    : QMainWindow(parent), store_(program::IniFile, program::IniBackupFile),
      environment_(MakeSettingsEnvironment(IsDirectShowAvailable)), timers_(new MainTimers(this))
{
    setWindowTitle(QString::fromStdString(kAppTitle));
    resize(kDesignedWidth, kDesignedHeight);
    ReadScreenDpi();
    BuildControls();
    OnLoad();
}

// The global MCI hooks point into this window; the title closes its media while the
// video area still exists.
MainWindow::~MainWindow()
{
    // It looks at the title whenever the event loop is about to wait, and the closes below
    // may wait: it goes before the title does.
    delete std::exchange(mpris_, nullptr);
    keyPreview_.reset();
    MciVoice::Hooks = {};
    browser_->PlaySelectedTitle = nullptr;
    timers_->PlaySelectedTitle = nullptr;
    titlePlay_.reset();
    mciCloseAll();
    CloseDirectShow();
}

void MainWindow::BuildControls()
{
    auto* central = new QWidget(this);
    controls_ = BuildMainControls(central, screenDpi_, kHomepageUrl);
    setCentralWidget(central);
    connect(controls_.homepageLabel, &QLabel::linkActivated, this, &MainWindow::HomepageClicked);
    connect(controls_.expandButton, &QPushButton::clicked, this, &MainWindow::ExpandClicked);
    connect(controls_.closeButton, &QPushButton::clicked, this, &MainWindow::CloseClicked);
    BuildBrowser();
    front_ = std::make_unique<PlayerFront>(title_);
    BuildDirectShow();
    BuildRail();
    menus_ = std::make_unique<MainMenus>(this);
    WireMenus();
    BuildPlayback();
    BuildVideo();
    BuildSeekPreview();
    BuildSpeed();
    WireVolume();
    WireFileDragDrop();
    WireSettingsDialog();
    InstallKeyPreview();
}

void MainWindow::BuildBrowser()
{
    browser_ = new FileBrowser(controls_.driveBox, controls_.folderList, controls_.fileList, this);
    connect(browser_, &FileBrowser::FolderOpened, this, &MainWindow::RememberFolder);
    connect(timers_->fileListFocusTimer, &QTimer::timeout, browser_,
            [this] { browser_->OnFileListFocusTimer(timers_->fileListFocusTimer); });
    browser_->SetToolTipTimer(timers_->fileToolTipTimer);
    timers_->PlaySelectedTitle = [this] {
        if (browser_->PlaySelectedTitle)
            browser_->PlaySelectedTitle("commandLinePlayTimer");
    };
}

// The rail row: seek buttons, rail, elapsedLabel and lengthLabel.
void MainWindow::BuildRail()
{
    railRow_ = new PositionRailWidget(screenDpi_, centralWidget());
    controls_.railRow->addWidget(railRow_);
    RailHost host;
    host.FocusFileList = [this] { browser_->FocusFileList(); };
    host.Closing = [this] { return closing_; };
    host.MPlayGetPosition = [this] { return front_->MPlayGetPosition(); };
    host.MPlaySeek = [this](int32_t targetMs, bool showFrame) { front_->MPlaySeek(targetMs, showFrame); };
    host.MPlayResume = [this] {
        front_->MPlayResume();
        rail_->LastSeekTick = front_->LastSeekTick;  // one LastSeekTick for front and rail
    };
    host.MPlayPause = [this] { front_->MPlayPause(); };
    // Both engines draw a paused seek's new frame by themselves, whatever the codec.
    host.ShowFrameAfterSeek = [] { return false; };
    host.EnablePositionPoll = [this](bool enable, const std::string& caller) { titlePlay_->EnablePositionPoll(enable, caller); };
    host.PollPosition = [this] { titlePlay_->PollPosition(); };
    host.PlaySelectedTitle = [this](bool keepLast, const std::string& caller) {
        titlePlay_->PlaySelectedTitle(keepLast, caller);
    };
    host.SeekPreviewAvailable = [this] { return SeekPreviewServesTitle(); };
    host.SeekPreviewHaveVid = [this] { return seekPreview_ && seekPreview_->HaveVid(); };
    host.MoveSeekPreview = [this](int centreX, int bottomY) {
        if (seekPreview_)
            seekPreview_->Move(centreX, bottomY);
    };
    rail_ = new PositionRail(*railRow_, timers_->ForRail(), title_, std::move(host), this);
}

// The title play control with the player front, the MCI voice's hooks and its test panel.
void MainWindow::BuildPlayback()
{
    WirePlayerFront();
    titleHost_ = std::make_unique<WindowTitleHost>(*this, controls_, *menus_, *timers_, *browser_, *rail_, *railRow_);
    titlePlay_ = std::make_unique<TitlePlayControl>(*titleHost_, *front_, title_, timers_->ForTitle());
    // The list's click and the command-line start (through BuildBrowser's hook) play the
    // selection; nothing plays yet at the command-line start, so nothing is kept.
    browser_->PlaySelectedTitle = [this](const std::string& caller) { titlePlay_->FileListClicked(caller); };
    connect(browser_, &FileBrowser::FileListPressed, this, [this] { titlePlay_->FileListPressed(); });
    browser_->PlayingTitle = [this] { return TitleOpen() ? title_.CurrentTitle : std::string{}; };
    // Play-all past its last title leaves that title open with no current index.
    browser_->AtEndOfList = [this] { return TitleOpen() && title_.CurrentIndex == -1; };
    browser_->TitleTakesKeys = [this] { return TitleOpen(); };
    connect(browser_, &FileBrowser::FolderOpened, this, [this] { titlePlay_->FolderChanged = true; });
    OnMousePress(controls_.mediaInterfaceLabel, [this] { front_->MediaInterfaceLabelPressed(); });
    WirePlayControls();
    WireRecentFolders();
    BuildMciTestPanel();
    WireMciVoiceHooks();
}

bool MainWindow::TitleOpen() const
{
    return title_.playState == MMSTATE_PLAY || title_.playState == MMSTATE_PAUSE;
}

void MainWindow::WirePlayControls()
{
    TitlePlayControl* play = titlePlay_.get();
    const MainControls& c = controls_;
    for (int i = 0; i < 3; ++i)
        connect(c.playButtons[size_t(i)], &QPushButton::clicked, play, [play, i] { play->PlayControlClicked(i); });
    for (int i = 0; i < 2; ++i)
        connect(c.skipButtons[size_t(i)], &QPushButton::clicked, play, [play, i] { play->SkipClicked(i); });
    connect(c.loopCheck, &QCheckBox::clicked, browser_, &FileBrowser::FocusFileList);
    connect(c.playAllCheck, &QCheckBox::clicked, browser_, &FileBrowser::FocusFileList);
    connect(c.overlappedCheck, &QCheckBox::toggled, play, &TitlePlayControl::OverlappedClicked);
    OnMousePress(c.loopIcon, [this] {
        Toggle(controls_.loopCheck);
        browser_->FocusFileList();
    });
    OnMousePress(c.overlappedLabel, [this] { Toggle(controls_.overlappedCheck); });
    const std::array<QAction*, 3> playActions{menus_->playAction, menus_->pauseAction, menus_->stopAction};
    for (int i = 0; i < 3; ++i)
        connect(playActions[size_t(i)], &QAction::triggered, play, [play, i] { play->PlayControlClicked(i); });
    for (int i = 1; i <= kAudioStreamEntries; ++i)
        connect(menus_->audioStreamActions[size_t(i)], &QAction::triggered, play, [play, i] { play->AudioStreamChosen(i); });
    for (int i = 1; i <= kVideoStreamEntries; ++i)
        connect(menus_->videoStreamActions[size_t(i)], &QAction::triggered, play, [play, i] { play->VideoStreamChosen(i); });
}

void MainWindow::WirePlayerFront()
{
    PlayerFrontHooks& hooks = front_->Hooks;
    hooks.EnablePositionPoll = [this] {
        titlePlay_->EnablePositionPoll(true, "MPlaySeek");
        AnnounceSeek();
    };
    hooks.IsDirectShowAvailable = [] { return IsDirectShowAvailable(); };
    hooks.SetMediaInterfaceCaption = [this](const std::string& caption) {
        controls_.mediaInterfaceLabel->setText(QString::fromStdString(caption));
    };
    hooks.TickCountMs = [] { return TickCountMs(); };
}

void MainWindow::WireMciVoiceHooks()
{
    MciVoiceHooks& hooks = MciVoice::Hooks;
    hooks = {};
    hooks.IsMainWindowForeground = [this] { return isActiveWindow(); };
    hooks.ForceMainWindowForeground = [this] {
        raise();
        activateWindow();
    };
    // The service's video window is the engine's own drawing surface and always shows the
    // video, so it counts as having a child: OpenVoice1 keeps it in the video area.
    hooks.HasChildWindow = [](WindowHandle) { return true; };
    hooks.MainWindowMonitorWidth = [this] { return screen() ? screen()->geometry().width() : 0; };
    hooks.DeviceTypeOverride = [this] { return mciPanel_->DeviceTypeText(); };
    hooks.Title = &title_;
}

// The MCI test panel: below the normal area, seen once expandButton enlarges the window.
void MainWindow::BuildMciTestPanel()
{
    mciPanel_ = new MciTestPanel(centralWidget());
    controls_.mciPanelSlot->addWidget(mciPanel_);
    mciPanel_->hide();
}

// The context menus and the menu buttons' popups.
void MainWindow::WireMenus()
{
    // popup, not exec: while the menu is open it takes the clicks, so the list cannot play.
    connect(browser_, &FileBrowser::FileContextMenuRequested, menus_->fileMenu,
            [this](QPoint globalPos) { menus_->fileMenu->popup(globalPos); });
    controls_.folderList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(controls_.folderList, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        menus_->folderMenu->popup(controls_.folderList->viewport()->mapToGlobal(pos));
    });
    controls_.moveToButton->setMenu(menus_->moveToMenu.popup);
    controls_.copyToButton->setMenu(menus_->copyToMenu.popup);
    controls_.goToButton->setMenu(menus_->goToMenu.popup);
    WireListMenus();
    WireShellMenus();
    WireFileOperations();
}

// Settings first, then the extra file pattern, then the command-line argument or the
// start folder. ScreenDpi and the controls, stream menus included, are built before, in
// the constructor.
void MainWindow::OnLoad()
{
    store_.ReadSettings(settings_, environment_);
    ApplyLoadedSettings();
    BuildTempCopies();
    LoadVolumes();
    AddFilePattern(browser_->Patterns, settings_.AdditionalFileFilter);
    if (program::CommandLineArg.empty() || !HandOverCommandLineArg())
        OpenStartFolder();
    if (!currentFolder_.empty() && browser_->CurrentFolder().empty())
        browser_->SetFolder(currentFolder_);
    browser_->FocusFileList();
}

// The loaded settings, window side: placement, fonts, list menus, check boxes, tool tips.
void MainWindow::ApplyLoadedSettings()
{
    ApplyWindowPlacement();
    ApplyFonts(this, {controls_.driveBox, controls_.folderList, controls_.fileList}, settings_.FontName,
               settings_.FontSize);
    menus_->BuildListMenus(settings_);
    controls_.mediaInterfaceLabel->setText(settings_.UseMCI == 0 ? "DirectShow" : "MCI");
    front_->MediaInterface = static_cast<int16_t>(settings_.UseMCI);
    if (front_->MediaInterface == kMediaInterfaceMCI)
        mciPrepareEngine();
    titlePlay_->OverlappedPlayTimeMS = settings_.OverlappedPlayTimeMS;
    titlePlay_->TryOtherInterface = settings_.TryOtherInterface != 0;
    ApplyCheckBoxes(controls_, settings_);
    ApplyToolTips(this, settings_.ToolTips);
}

// Opens the argument's folder and, for a file, selects it and plays it once loading is
// done. False when the argument no longer exists (the normal start folder follows).
bool MainWindow::HandOverCommandLineArg()
{
    std::string arg = program::CommandLineArg;
    std::erase(arg, '"');
    arg = AbsoluteArgument(arg, CurrentDirectory());
    if (!FileExists(arg)) {
        MsgBox("'" + arg + "'  not found", kMsgExclamation, kAppTitle);
        return false;
    }
    const bool isFile = !IsFolder(arg);
    currentFolder_ = GetContainingFolder(arg);
    if (isFile) {
        // Asked by matching, not by the pattern's text: "*.mpe" occurs inside "*.mpeg"
        // but lists no "y.mpe".
        if (!FileNameFilter(browser_->Patterns).Matches(GetFileNamePart(arg)))
            AddFilePattern(browser_->Patterns, "*." + LowerCase(GetExtension(GetFileNamePart(arg))));
    }
    browser_->SetFolder(currentFolder_);
    browser_->FocusFileList();
    if (isFile) {
        browser_->SelectFileByName(GetFileNamePart(arg));
        timers_->commandLinePlayTimer->start();
    }
    return true;
}

// The folder to start in next time; NonremovablePath, the fallback for a Path whose
// drive is not ready, only takes folders on fixed and RAM drives.
void MainWindow::RememberFolder(const std::string& folder)
{
    settings_.Path = folder;
    const int type = GetDriveType(folder);
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK)
        settings_.NonremovablePath = folder;
}

void MainWindow::ReadScreenDpi()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    screenDpi_ = s ? static_cast<int>(s->logicalDotsPerInchX()) : 96;
}

// The saved Path, else NonremovablePath, whichever has a ready drive; else (a first start,
// or after the error) the home folder.
void MainWindow::OpenStartFolder()
{
    const StartFolderChoice choice =
        ChooseStartFolder(settings_.Path, settings_.NonremovablePath, IsDriveOfSavedFolderReady, HomeFolder());
    currentFolder_ = choice.Folder.value_or(std::string{});
    if (!choice.ShowAccessError)
        return;
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MsgBox(StartFolderErrorText(settings_.Path), kMsgExclamation, kAppTitle);
    QApplication::restoreOverrideCursor();
}

void MainWindow::ExpandClicked()
{
    resize(width(), height() + kExpandHeightPixels);
    mciPanel_->show();
}

void MainWindow::CloseClicked()
{
    close();
}

// An installed copy opens the README of its documentation folder; a build, the source
// tree's.
void MainWindow::HomepageClicked()
{
    const QString installed = QCoreApplication::applicationDirPath() + "/" VISTREL_DOCS_FROM_PROGRAM "README.md";
    QDesktopServices::openUrl(QFileInfo::exists(installed) ? QUrl::fromLocalFile(installed) : QUrl(kHomepageUrl));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    OnQueryClose();
    event->accept();
    OnUnload();
    emit Unloaded();
}

// A playing title is paused before its media is closed, and the settings are saved
// after that, with the window's last state.
void MainWindow::OnQueryClose()
{
    closing_ = true;
    if (title_.playState == MMSTATE_PLAY)
        front_->MPlayPause();
    browser_->FileNotificationStartStop("OnQueryClose", false);
    titlePlay_->CloseMedia(false, false, false);
    video_->HideVideo();
    SaveAllSettings();
    ReleaseMixer();
}

void MainWindow::OnUnload()
{
    if (StartDeletionScriptIfNeeded)
        StartDeletionScriptIfNeeded();
}

void MainWindow::ApplyWindowPlacement()
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
    in.otherInstances = OtherInstanceWindows(ownWindow, kAppTitle, kMaxOtherInstances);
    const int styleCaptionHeight = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    in.captionHeight = FrameExtentsTop(ownWindow).value_or(styleCaptionHeight);
    const WindowPlacementResult result = ComputeWindowPlacement(in);
    if (!result.keepDefaultPosition)
        move(result.X, result.Y);
}

void MainWindow::RememberWindowPlacement()
{
    settings_.Minimized = isMinimized();
    settings_.Left = frameGeometry().x();
    settings_.Top = frameGeometry().y();
}

}  // namespace vistrel
