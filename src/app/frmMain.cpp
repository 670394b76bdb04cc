#include "app/frmMain.h"

#include "app/MainTimers.h"
#include "app/StartFolder.h"
#include "app/WindowPlacement.h"
#include "app/basMain.h"
#include "browser/Drives.h"
#include "browser/FileBrowser.h"
#include "browser/FileList.h"
#include "platform/desktop/X11Windows.h"
#include "platform/gst/GstAvailability.h"
#include "support/MsgBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace vistrel {

namespace {

constexpr int kDesignedWidth = 800;
constexpr int kDesignedHeight = 560;
// Part 1.3 E: 70 * TwipsPerPixelY twips, which is 70 pixels whatever the dpi.
constexpr int kExpandHeightPixels = 70;

std::string LowerCase(const std::string& text)
{
    return QString::fromStdString(text).toLower().toStdString();
}

}  // namespace

frmMain::frmMain(const std::string& modulePath, QWidget* parent)
    : QMainWindow(parent), store_(basMain::IniFile, basMain::IniBackupFile),
      environment_(MakeSettingsEnvironment(IsDirectShowAvailable)), timers_(new MainTimers(this))
{
    setWindowTitle(QString::fromStdString(basMain::AppTitle.empty() ? kAppTitle : basMain::AppTitle));
    resize(kDesignedWidth, kDesignedHeight);
    BuildControls();
    Form_Load();
}

void frmMain::BuildControls()
{
    auto* central = new QWidget(this);
    auto* buttons = new QHBoxLayout;
    lblHomepage_ = new QLabel(QString("<a href=\"%1\">Homepage</a>").arg(kHomepageUrl), central);
    lblHomepage_->setObjectName("lblHomepage");
    lblHomepage_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(lblHomepage_, &QLabel::linkActivated, this, &frmMain::lblHomepage_Click);
    cmdExpand_ = new QPushButton("v", central);
    cmdExpand_->setObjectName("cmdExpand");
    connect(cmdExpand_, &QPushButton::clicked, this, &frmMain::cmdExpand_Click);
    cmdClose_ = new QPushButton("Close", central);
    cmdClose_->setObjectName("cmdClose");
    connect(cmdClose_, &QPushButton::clicked, this, &frmMain::cmdClose_Click);
    buttons->addWidget(lblHomepage_);
    buttons->addStretch();
    buttons->addWidget(cmdExpand_);
    buttons->addWidget(cmdClose_);
    auto* column = new QVBoxLayout(central);
    column->addLayout(BuildBrowserColumn(central), 1);
    column->addLayout(buttons);
    setCentralWidget(central);
}

QLayout* frmMain::BuildBrowserColumn(QWidget* central)
{
    auto* drive1 = new QComboBox(central);
    drive1->setObjectName("Drive1");
    auto* dir1 = new QListWidget(central);
    dir1->setObjectName("Dir1");
    auto* files = new QListWidget(central);
    files->setObjectName("FilesVListBox");
    browser_ = new FileBrowser(drive1, dir1, files, this);
    connect(browser_, &FileBrowser::FolderOpened, this, &frmMain::RememberFolder);
    connect(timers_->timFileListSetFocus, &QTimer::timeout, browser_,
            [this] { browser_->timFileListSetFocus_Timer(timers_->timFileListSetFocus); });
    browser_->SetToolTipTimer(timers_->FilesListBoxTooltipTimer);
    timers_->PlayTitleFromFile1 = [this] {
        if (browser_->PlayTitleFromFile1)
            browser_->PlayTitleFromFile1("timPlayByCmdln");
    };
    auto* left = new QVBoxLayout;
    left->addWidget(drive1);
    left->addWidget(dir1, 1);
    left->addWidget(files, 2);
    auto* row = new QHBoxLayout;
    row->addLayout(left, 1);
    row->addStretch(2);
    return row;
}

// A: the steps whose Parts exist, in the spec's order.
void frmMain::Form_Load()
{
    ReadScreenDpi();
    store_.ReadSettings(settings_, environment_);
    ApplyWindowPlacement();
    AddFilePattern(browser_->Patterns, settings_.AdditionalFileFilter);
    if (basMain::CommandLineArg.empty() || !HandOverCommandLineArg())
        OpenStartFolder();
    if (!currentFolder_.empty() && browser_->CurrentFolder().empty())
        browser_->SetFolder(currentFolder_);
}

// Part 1.1 E. False when the argument no longer exists (the normal start folder follows).
bool frmMain::HandOverCommandLineArg()
{
    std::string arg = basMain::CommandLineArg;
    std::erase(arg, '"');
    if (arg.find('/') == std::string::npos)
        arg = MakeAbsolute(arg, CurrentDirectory());
    if (!FileExists(arg)) {
        MsgBox("'" + arg + "'  not found", vbExclamation, kAppTitle);
        return false;
    }
    const bool isFile = !IsFolder(arg);
    currentFolder_ = GetContainingFolder(arg);
    if (isFile) {
        const std::string pattern = "*." + LowerCase(GetExtension(GetFileNamePart(arg)));
        if (!FindFilePattern(browser_->Patterns, pattern))
            AddFilePattern(browser_->Patterns, pattern);
    }
    browser_->SetFolder(currentFolder_);
    browser_->FilesListBox_SetFocus();
    if (isFile) {
        browser_->SelectFileByName(GetFileNamePart(arg));
        timers_->timPlayByCmdln->start();
    }
    return true;
}

// Dir1_Change step 4: the remembered folders of Part 1.2.
void frmMain::RememberFolder(const std::string& folder)
{
    settings_.Path = folder;
    const int type = GetDriveType(folder);
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK)
        settings_.NonremovablePath = folder;
}

void frmMain::ReadScreenDpi()
{
    const QScreen* s = screen();
    screenDpi_ = s ? static_cast<int>(s->logicalDotsPerInchX()) : 96;
}

// A.7. With no folder the window stays on the default drive (CurrentFolder empty).
void frmMain::OpenStartFolder()
{
    const StartFolderChoice choice =
        ChooseStartFolder(settings_.Path, settings_.NonremovablePath, IsDriveOfPathReady);
    currentFolder_ = choice.Folder.value_or(std::string{});
    if (!choice.ShowAccessError)
        return;
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MsgBox(StartFolderErrorText(settings_.Path), vbExclamation, kAppTitle);
    QApplication::restoreOverrideCursor();
}

void frmMain::cmdExpand_Click()
{
    resize(width(), height() + kExpandHeightPixels);
}

void frmMain::cmdClose_Click()
{
    close();
}

void frmMain::lblHomepage_Click()
{
    QDesktopServices::openUrl(QUrl(kHomepageUrl));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    event->accept();
    emit Unloaded();
}

// G: the steps whose Parts exist, in the spec's order.
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
