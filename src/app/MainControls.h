#pragma once
// The main window's controls under the spec's names (Parts 1.3, 2.5, 3.1, 3.3, 4.1, 4.3,
// 5.1, 6.1, 6.3, 6.4, 7.1). BuildMainControls creates and lays them out; MainWindow wires
// them to the Parts. Controls of Parts that are not built yet are present and disabled.
#include <QtGlobal>

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace vistrel {

struct MainControls {
    // Part 4.1: the browser column.
    QComboBox* driveBox = nullptr;
    QListWidget* folderList = nullptr;
    QListWidget* fileList = nullptr;
    // Part 3.3: play control.
    std::array<QPushButton*, 3> playButtons{};  // 0 play, 1 pause, 2 stop
    std::array<QPushButton*, 2> skipButtons{};         // 0 previous, 1 next
    QCheckBox* loopCheck = nullptr;
    QCheckBox* playAllCheck = nullptr;
    QCheckBox* overlappedCheck = nullptr;
    QCheckBox* videoSideBySideCheck = nullptr;  // Part 5.1 "App and Video"
    QLabel* loopIcon = nullptr;                // toggles loopCheck
    QLabel* overlappedLabel = nullptr;                 // toggles overlappedCheck
    // Part 2.5: the format lines.
    std::array<QLabel*, 7> formatInfoLabels{};
    // Part 6.1 puts its rail row (seek buttons, rail, elapsedLabel, lengthLabel) here.
    QHBoxLayout* railRow = nullptr;
    // Part 6.3: the speed rail.
    QFrame* speedRail = nullptr;
    QFrame* speedKnob = nullptr;
    QLabel* speedRailLabel = nullptr;
    QLabel* playSpeedLabel = nullptr;
    QComboBox* speedList = nullptr;
    // Part 6.4: the volume frame with "Master", "Wave", "MIDI", "Local".
    QGroupBox* volumeFrame = nullptr;
    std::array<QSlider*, 4> volumeSliders{};
    std::array<QLabel*, 4> volumeLabels{};
    // Part 3.2: names the active back end; a press toggles it.
    QLabel* mediaInterfaceLabel = nullptr;
    // Part 5.1: the video area (a native window under xcb: the engines draw into it).
    QWidget* videoArea = nullptr;
    // Parts 3.3, 3.5, 4.2: the tip box.
    QFrame* tipBox = nullptr;
    QLabel* tipLabel = nullptr;
    // Part 4.3: the menu buttons "Move To:", "Copy To:", "Go To:".
    QToolButton* moveToButton = nullptr;
    QToolButton* copyToButton = nullptr;
    QToolButton* goToButton = nullptr;
    // Part 7.1 opens from here.
    QPushButton* settingsButton = nullptr;
    // Part 1.3.
    QLabel* homepageLabel = nullptr;
    QPushButton* expandButton = nullptr;
    QPushButton* closeButton = nullptr;
    // Part 3.1 H: the MCI test panel goes here, below the normal area.
    QVBoxLayout* mciPanelSlot = nullptr;
};

// Builds every control inside `central`; `dpi` is ScreenDpi (pixel sizes scale by dpi/96).
MainControls BuildMainControls(QWidget* central, int dpi, const QString& homepageUrl);

}  // namespace vistrel
