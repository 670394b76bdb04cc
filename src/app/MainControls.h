#pragma once
// The main window's controls under the spec's names (Parts 1.3, 2.5, 3.1, 3.3, 4.1, 4.3,
// 5.1, 6.1, 6.3, 6.4, 7.1). BuildMainControls creates and lays them out; frmMain wires
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
    QComboBox* Drive1 = nullptr;
    QListWidget* Dir1 = nullptr;
    QListWidget* FilesVListBox = nullptr;
    // Part 3.3: play control.
    std::array<QPushButton*, 3> cmdPlayControl{};  // 0 play, 1 pause, 2 stop
    std::array<QPushButton*, 2> cmdSkip{};         // 0 previous, 1 next
    QCheckBox* chkLoop = nullptr;
    QCheckBox* chkPlayAll = nullptr;
    QCheckBox* chkPlayOverlapped = nullptr;
    QCheckBox* chkVideoSideBySide = nullptr;  // Part 5.1 "App and Video"
    QLabel* picLoop = nullptr;                // toggles chkLoop
    QLabel* lblOvl = nullptr;                 // toggles chkPlayOverlapped
    // Part 2.5: the format lines.
    std::array<QLabel*, 7> lblFormatInfo{};
    // Part 6.1 puts its rail row (seek buttons, rail, lblAkt, lblPlayLength) here.
    QHBoxLayout* railRow = nullptr;
    // Part 6.3: the speed rail.
    QFrame* picPlaySpeedRail = nullptr;
    QFrame* picPlaySpeedSlider = nullptr;
    QLabel* picPlaySpeedLabel = nullptr;
    QLabel* lblPlaySpeed = nullptr;
    QComboBox* cboSpeeds = nullptr;
    // Part 6.4: the volume frame with "Master", "Wave", "MIDI", "Local".
    QGroupBox* fraVolume = nullptr;
    std::array<QSlider*, 4> imgSlider{};
    std::array<QLabel*, 4> lblVol{};
    // Part 3.2: names the active back end; a press toggles it.
    QLabel* lblMediaInterface = nullptr;
    // Part 5.1: the video area (a native window under xcb: the engines draw into it).
    QWidget* picVidParent = nullptr;
    // Parts 3.3, 3.5, 4.2: the tip box.
    QFrame* picTipCreateTempCopy = nullptr;
    QLabel* lblCreateTempCopy = nullptr;
    // Part 4.3: the menu buttons "Move To:", "Copy To:", "Go To:".
    QToolButton* picMoveToButton = nullptr;
    QToolButton* picCopyToButton = nullptr;
    QToolButton* picGotoButton = nullptr;
    // Part 7.1 opens from here.
    QPushButton* cmdSettings = nullptr;
    // Part 1.3.
    QLabel* lblHomepage = nullptr;
    QPushButton* cmdExpand = nullptr;
    QPushButton* cmdClose = nullptr;
    // Part 3.1 H: the MCI test panel goes here, below the normal area.
    QVBoxLayout* mciPanelSlot = nullptr;
};

// Builds every control inside `central`; `dpi` is ScreenDpi (pixel sizes scale by dpi/96).
MainControls BuildMainControls(QWidget* central, int dpi, const QString& homepageUrl);

}  // namespace vistrel
