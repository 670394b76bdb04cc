#pragma once
// The main window. It builds the controls (MainControls) and the menus (MainMenus),
// wires them to the subsystems' classes, runs OnLoad and saves the settings when it
// closes. Each subsystem's logic lives in its own class.
#include "app/MainControls.h"
#include "app/Settings.h"
#include "browser/FileTransfer.h"
#include "controls/KeyCommands.h"
#include "support/TitleState.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

class QDBusConnection;

namespace vistrel {

class FileBrowser;
class FileManager;
class FileOperations;
struct FileOpsHost;
class MainMenus;
class MainTimers;
class MciTestPanel;
class MprisService;
struct MprisState;
class DirectShowPlayer;
class PlayerFront;
class PositionRail;
class PositionRailWidget;
class SpeedRailControl;
class TempCopies;
class TitlePlayControl;
class WindowTitleHost;
namespace video {
class SeekPreview;
class VideoPresenter;
}
namespace settingsdlg {
struct SettingsValues;
}
namespace mixer {
class PulseMixer;
}

// The project's home page: its README, as the build that made this program knows it.
inline constexpr const char* kHomepageUrl = "file://" VISTREL_README;

// What the file keys do; set by the file operations, an empty one does nothing. Entries
// are 1-based, as the list menus number them.
struct KeyActions {
    std::function<void(bool noAsk)> Delete;
    std::function<void()> Rename;
    std::function<void()> CopyToClipboard;
    std::function<void()> PasteFromClipboard;
    std::function<void(int entry)> Goto;
    std::function<void(int entry)> CopyTo;
    std::function<void(int entry)> MoveTo;
    std::function<void(int entry)> OpenWith;
    // Numeric + / - over a video: the overscan zoom's percent, +1 / -1.
    std::function<void(int step)> ChangeOverscan;
};

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // OnLoad runs here; `modulePath` is the program's path (the INI file lies beside it).
    explicit MainWindow(const std::string& modulePath, QWidget* parent = nullptr);
    ~MainWindow() override;

    bool Closing() const { return closing_; }
    int ScreenDpi() const { return screenDpi_; }
    const Settings& CurrentSettings() const { return settings_; }
    MainTimers& Timers() const { return *timers_; }
    FileBrowser& Browser() const { return *browser_; }
    const MainControls& Controls() const { return controls_; }
    MainMenus& Menus() const { return *menus_; }
    PositionRail& Rail() const { return *rail_; }
    PlayerFront& Front() const { return *front_; }
    TitlePlayControl& TitlePlay() const { return *titlePlay_; }
    FileOperations& FileOps() const { return *fileOps_; }
    video::VideoPresenter& Video() const { return *video_; }
    video::SeekPreview& SeekPreview() const { return *seekPreview_; }
    // Puts the player on `bus` for the desktop's media keys and player applets.
    void StartMpris(const QDBusConnection& bus);
    MprisService* Mpris() const { return mpris_; }
    const TitleState& Title() const { return title_; }
    // The desktop's mixer behind the volume knobs; nullptr without a sound server.
    mixer::PulseMixer* Mixer() const { return mixer_.get(); }
    // Set by the file operations; OnUnload calls it: writes and starts the deletion script
    // when files wait for deletion.
    std::function<void()> StartDeletionScriptIfNeeded;
    // Copies and moves the files dropped onto the file list or pasted into it (the copy
    // engine with its dialogs); empty: drops are refused and pastes do nothing.
    FileTransfer TransferFiles;
    // Ctrl+C: the file list's selected files go on the clipboard.
    void CopyFilesToClipboard() const;
    // Ctrl+V: the clipboard's files are copied into the open folder.
    void PasteFilesFromClipboard();
    KeyActions Keys;
    // The start folder chosen at load (with or without a trailing "/"); empty = none.
    const std::string& CurrentFolder() const { return currentFolder_; }
    // The goto list's entry `index` (1-based): opens its folder, or says that it cannot.
    void GoToListEntry(int index);
    // Runs entry `index` (1-based) of the "Open with" list with the one selected file.
    void OpenWithEntry(int index);

public slots:
    void ExpandClicked();
    void CloseClicked();
    void HomepageClicked();

signals:
    // The window has been closed and its settings saved (OnUnload).
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void BuildControls();
    void BuildBrowser();
    void BuildRail();
    void BuildPlayback();
    // A title plays or is paused.
    bool TitleOpen() const;
    void WirePlayControls();
    void WirePlayerFront();
    void WireMciVoiceHooks();
    void BuildMciTestPanel();
    void WireMenus();
    // The destination lists' menu actions and recent folders (MainWindowLists.cpp).
    void WireListMenus();
    void WireRecentFolders();
    void AddCurrentFolder(std::vector<PathItem>& list);
    void ConfigureList(std::vector<PathItem>& list, const char* caption);
    void GoToBrowse();
    void ListsChanged();
    void WireShellMenus();
    void ShowFileProperties();
    void WireFileDragDrop();
    void WireFileOperations();
    FileOpsHost MakeFileOpsHost();
    void ApplyLoadedSettings();
    bool HandOverCommandLineArg();
    void RememberFolder(const std::string& folder);
    void OnLoad();
    void OnQueryClose();
    void OnUnload();
    void ReadScreenDpi();
    void OpenStartFolder();
    void ApplyWindowPlacement();
    void RememberWindowPlacement();
    // The keyboard (MainWindowKeys.cpp).
    void InstallKeyPreview();
    QWidget* KeyReceiver();
    bool PreviewKey(QObject* watched, QEvent* event);
    // A key meant for the window (seen first by the key preview, or handed on by the video
    // window in fullscreen); true when it is swallowed.
    bool HandleKey(QKeyEvent* key);
    KeyContext CurrentKeyContext() const;
    KeyFocus FocusedControl() const;
    void RunKeyCommand(const KeyCommand& command);
    void ShowFileMenuAtCurrentItem();
    // The separate video window and its layout (MainWindowVideo.cpp).
    void BuildVideo();
    void BuildFullscreenRail();
    MprisState MprisStateNow() const;
    void AnnounceSeek();
    void WireVideoTitleHooks();
    int64_t TitleClock() const;
    // The seek preview over the rails (MainWindowSeekPreview.cpp).
    void BuildSeekPreview();
    bool SeekPreviewServesTitle() const;
    // The settings dialog (MainWindowSettings.cpp).
    void WireSettingsDialog();
    void OpenSettingsDialog();
    void ApplyDialogSettings(const settingsdlg::SettingsValues& values);
    // The window's state (placement, check boxes, back end) into the settings, then one save.
    void SaveAllSettings();
    // The play speed rail and list (MainWindowSpeed.cpp).
    void BuildSpeed();
    // Tells the engine `speed` (1000 = normal); false when it refused.
    bool ApplyPlaySpeed(int32_t speed);
    // The second back end on GStreamer (MainWindowEngines.cpp).
    void BuildDirectShow();
    void CloseDirectShow();
    void BuildTempCopies();
    void PlaceEngineWindow(WindowHandle engine, WindowHandle parent, QRect rect);
    // The volume knobs and the wheel (MainWindowVolume.cpp).
    void WireVolume();
    void LoadVolumes();
    void ReleaseMixer();
    void SetVolumeSliderPos();
    void SetLocalVolume(int32_t volume);
    void ChangeVolume(int delta, int screenX);

    SettingsStore store_;
    SettingsEnvironment environment_;
    Settings settings_;
    MainTimers* timers_ = nullptr;
    FileBrowser* browser_ = nullptr;
    FileManager* fileManager_ = nullptr;
    MainControls controls_;
    std::unique_ptr<MainMenus> menus_;
    std::unique_ptr<QObject> keyPreview_;  // the application's key filter for this window
    std::unique_ptr<FileOperations> fileOps_;
    TitleState title_;
    PositionRailWidget* railRow_ = nullptr;
    PositionRail* rail_ = nullptr;
    MciTestPanel* mciPanel_ = nullptr;
    MprisService* mpris_ = nullptr;  // a child, like the video presenter
    SpeedRailControl* speedControl_ = nullptr;
    int32_t playSpeed_ = 1000;  // the speed the engine plays at, 1000 = normal
    video::VideoPresenter* video_ = nullptr;  // a child: it goes after the title play control
    video::SeekPreview* seekPreview_ = nullptr;  // a child, as the video presenter
    std::unique_ptr<mixer::PulseMixer> mixer_;
    std::string currentFolder_;
    int screenDpi_ = 96;
    bool closing_ = false;
    std::unique_ptr<DirectShowPlayer> directShow_;  // behind front_; closed in the destructor
    // Before front_: the last media close wipes the last copy.
    std::unique_ptr<TempCopies> tempCopies_;
    // Declared last: the title play control goes first, while the front it closes with
    // and the widgets it shows are still there.
    std::unique_ptr<PlayerFront> front_;
    std::unique_ptr<WindowTitleHost> titleHost_;
    std::unique_ptr<TitlePlayControl> titlePlay_;
};

}  // namespace vistrel
