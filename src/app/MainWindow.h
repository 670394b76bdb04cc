#pragma once
// The main window. It builds the controls (MainControls) and the menus (MainMenus),
// wires them to the subsystems' classes, runs OnLoad and saves the settings when it
// closes. Each subsystem's logic lives in its own class.
#include "app/MainControls.h"
#include "app/Settings.h"
#include "support/TitleState.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

namespace vistrel {

class FileBrowser;
class FileOperations;
struct FileOpsHost;
class MainMenus;
class MainTimers;
class MciTestPanel;
class PlayerFront;
class PositionRail;
class PositionRailWidget;
class TitlePlayControl;
class WindowTitleHost;

// The project's home page: its README, as the build that made this program knows it.
inline constexpr const char* kHomepageUrl = "file://" VISTREL_README;

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
    const TitleState& Title() const { return title_; }
    // Set by the file operations; OnUnload calls it: writes and starts the deletion script
    // when files wait for deletion.
    std::function<void()> StartDeletionScriptIfNeeded;
    // The start folder chosen at load (with or without a trailing "/"); empty = none.
    const std::string& CurrentFolder() const { return currentFolder_; }

public slots:
    void ExpandClicked();
    void CloseClicked();
    void HomepageClicked();

signals:
    // The window has been closed and its settings saved (OnUnload).
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    void DisableUnbuiltControls();
    void WireMenus();
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

    SettingsStore store_;
    SettingsEnvironment environment_;
    Settings settings_;
    MainTimers* timers_ = nullptr;
    FileBrowser* browser_ = nullptr;
    MainControls controls_;
    std::unique_ptr<MainMenus> menus_;
    std::unique_ptr<FileOperations> fileOps_;
    TitleState title_;
    PositionRailWidget* railRow_ = nullptr;
    PositionRail* rail_ = nullptr;
    MciTestPanel* mciPanel_ = nullptr;
    std::string currentFolder_;
    int screenDpi_ = 96;
    bool closing_ = false;
    // Declared last: the title play control goes first, while the front it closes with
    // and the widgets it shows are still there.
    std::unique_ptr<PlayerFront> front_;
    std::unique_ptr<WindowTitleHost> titleHost_;
    std::unique_ptr<TitlePlayControl> titlePlay_;
};

}  // namespace vistrel
