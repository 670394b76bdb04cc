#pragma once
// Part 1.3: the main window. Its load handler (the constructor) reads the settings and
// chooses the start folder; its close saves them. The full control layout comes with the
// main-window issue; each Part's logic then lives in its subsystem's class.
#include "app/Settings.h"

#include <QMainWindow>

#include <string>

class QLabel;
class QLayout;
class QPushButton;

namespace vistrel {

class FileBrowser;
class MainTimers;

// The project's home page: its README, as the build that made this program knows it.
inline constexpr const char* kHomepageUrl = "file://" VISTREL_README;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // Form_Load runs here; `modulePath` is the program's path (Part 1.1, the INI folder).
    explicit frmMain(const std::string& modulePath, QWidget* parent = nullptr);

    bool Closing() const { return closing_; }
    int ScreenDpi() const { return screenDpi_; }
    const Settings& CurrentSettings() const { return settings_; }
    MainTimers& Timers() const { return *timers_; }
    FileBrowser& Browser() const { return *browser_; }
    // The start folder chosen at load (with or without a trailing "/"); empty = none.
    const std::string& CurrentFolder() const { return currentFolder_; }

public slots:
    void cmdExpand_Click();
    void cmdClose_Click();
    void lblHomepage_Click();

signals:
    // The window has been closed and its settings saved (Form_Unload).
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QLayout* BuildBrowserColumn(QWidget* central);
    bool HandOverCommandLineArg();
    void RememberFolder(const std::string& folder);
    void Form_Load();
    void Form_QueryUnload();
    void ReadScreenDpi();
    void OpenStartFolder();
    void ApplyWindowPlacement();
    void RememberWindowPlacement();

    SettingsStore store_;
    SettingsEnvironment environment_;
    Settings settings_;
    MainTimers* timers_ = nullptr;
    FileBrowser* browser_ = nullptr;
    QPushButton* cmdExpand_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QLabel* lblHomepage_ = nullptr;
    std::string currentFolder_;
    int screenDpi_ = 96;
    bool closing_ = false;
};

}  // namespace vistrel
