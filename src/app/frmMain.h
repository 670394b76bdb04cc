#pragma once
// Part 1.3: the main window. In this first step it is the bare window titled "Vistrel":
// its load handler reads the settings and its close saves them. Its controls come with
// the main-window issue; each Part's logic then lives in its subsystem's class.
#include "app/Settings.h"

#include <QMainWindow>

namespace vistrel {

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // Form_Load runs here; `modulePath` is the program's path (Part 1.1, the INI folder).
    explicit frmMain(const std::string& modulePath, QWidget* parent = nullptr);

    bool Closing() const { return closing_; }
    const Settings& CurrentSettings() const { return settings_; }

signals:
    // The window has been closed and its settings saved (Form_Unload).
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_QueryUnload();
    void ApplyWindowPlacement();
    void RememberWindowPlacement();

    SettingsStore store_;
    SettingsEnvironment environment_;
    Settings settings_;
    bool closing_ = false;
};

}  // namespace vistrel
