#pragma once
// The settings the bulk load applies to the main window (fonts, tool tips, check boxes)
// and reads back from it for the save. The font names "MS Shell Dlg" and "MS Sans Serif",
// which settings files hold by default, stand for the desktop's default font.
#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace vistrel {

struct MainControls;
struct Settings;

// The font family a FontName setting stands for.
QString ResolveFontFamily(const std::string& fontName);

// Fonts (load): FontName for the browser controls and for every control with the
// designed font; FontSize (when not 0, clamped 7..14) for the browser controls.
void ApplyFonts(QWidget* window, const std::vector<QWidget*>& browserControls, const std::string& fontName,
                double fontSize);
// Tool tips (load): off clears every tool tip of the window's controls.
void ApplyToolTips(QWidget* window, bool toolTips);
// The check boxes All, Loop, Overlapped, VideoSideBySide.
void ApplyCheckBoxes(const MainControls& controls, const Settings& settings);

// For the save: the check boxes and the drive box's font (a family that is the desktop
// default keeps the loaded name, so "MS Shell Dlg" survives a save).
void ReadBackWindowSettings(const MainControls& controls, Settings& settings);

}  // namespace vistrel
