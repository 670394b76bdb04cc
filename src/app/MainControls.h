#pragma once
// The main window's controls. BuildMainControls creates and lays them out; MainWindow
// wires them to the subsystems.
#include <QtGlobal>

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QListView;
class QListWidget;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace vistrel {

class VolumeFrameWidget;

struct MainControls {
    // The browser column.
    QComboBox* driveBox = nullptr;
    QListWidget* folderList = nullptr;
    QListView* fileList = nullptr;
    // Play control.
    std::array<QPushButton*, 3> playButtons{};  // 0 play, 1 pause, 2 stop
    std::array<QPushButton*, 2> skipButtons{};         // 0 previous, 1 next
    QCheckBox* loopCheck = nullptr;
    QCheckBox* playAllCheck = nullptr;
    QCheckBox* overlappedCheck = nullptr;
    QCheckBox* videoSideBySideCheck = nullptr;  // "App and Video"
    QLabel* loopIcon = nullptr;                // toggles loopCheck
    QLabel* overlappedLabel = nullptr;                 // toggles overlappedCheck
    // The format lines.
    std::array<QLabel*, 7> formatInfoLabels{};
    // The rail row (seek buttons, rail, elapsedLabel, lengthLabel) goes here.
    QHBoxLayout* railRow = nullptr;
    // The speed rail.
    QFrame* speedRail = nullptr;
    QFrame* speedKnob = nullptr;
    QLabel* speedRailLabel = nullptr;
    QLabel* playSpeedLabel = nullptr;
    QComboBox* speedList = nullptr;
    // The volume frame with the knobs "Master", "Wave", "MIDI", "Local".
    VolumeFrameWidget* volumeFrame = nullptr;
    // Names the active back end; a press toggles it.
    QLabel* mediaInterfaceLabel = nullptr;
    // The video area (a native window under xcb: the engines draw into it).
    QWidget* videoArea = nullptr;
    // The tip box: short notes from playback and the file operations.
    QFrame* tipBox = nullptr;
    QLabel* tipLabel = nullptr;
    // The menu buttons "Move To:", "Copy To:", "Go To:".
    QToolButton* moveToButton = nullptr;
    QToolButton* copyToButton = nullptr;
    QToolButton* goToButton = nullptr;
    // Opens the settings dialog.
    QPushButton* settingsButton = nullptr;
    QLabel* homepageLabel = nullptr;
    QPushButton* expandButton = nullptr;
    QPushButton* closeButton = nullptr;
    // The MCI test panel goes here, below the normal area.
    QVBoxLayout* mciPanelSlot = nullptr;
};

// Builds every control inside `central`; `dpi` is ScreenDpi (pixel sizes scale by dpi/96).
MainControls BuildMainControls(QWidget* central, int dpi, const QString& homepageUrl);

}  // namespace vistrel
