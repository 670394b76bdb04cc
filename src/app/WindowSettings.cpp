#include "app/WindowSettings.h"

#include "app/MainControls.h"
#include "app/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QWidget>

#include <algorithm>

namespace vistrel {

namespace {

bool IsWindowsDialogFont(const std::string& name)
{
    return name == "MS Shell Dlg" || name == "MS Sans Serif";
}

QString DesktopFontFamily()
{
    return QApplication::font().family();
}

}  // namespace

QString ResolveFontFamily(const std::string& fontName)
{
    if (fontName.empty() || IsWindowsDialogFont(fontName))
        return DesktopFontFamily();
    return QString::fromStdString(fontName);
}

void ApplyFonts(QWidget* window, const std::vector<QWidget*>& browserControls, const std::string& fontName,
                double fontSize)
{
    if (!fontName.empty()) {
        const QString family = ResolveFontFamily(fontName);
        const QString designed = DesktopFontFamily();
        for (QWidget* control : window->findChildren<QWidget*>()) {
            const bool browser = std::find(browserControls.begin(), browserControls.end(), control) != browserControls.end();
            if (browser || control->font().family() == designed) {
                QFont font = control->font();
                font.setFamily(family);
                control->setFont(font);
            }
        }
    }
    if (fontSize == 0)
        return;
    for (QWidget* control : browserControls) {
        QFont font = control->font();
        font.setPointSizeF(std::clamp(fontSize, 7.0, 14.0));
        control->setFont(font);
    }
}

void ApplyToolTips(QWidget* window, bool toolTips)
{
    if (toolTips)
        return;
    window->setToolTip(QString());
    for (QWidget* control : window->findChildren<QWidget*>())
        control->setToolTip(QString());
}

void ApplyCheckBoxes(const MainControls& controls, const Settings& settings)
{
    controls.playAllCheck->setChecked(settings.All);
    controls.loopCheck->setChecked(settings.Loop);
    controls.overlappedCheck->setChecked(settings.Overlapped);
    controls.videoSideBySideCheck->setChecked(settings.VideoSideBySide);
}

void ReadBackWindowSettings(const MainControls& controls, Settings& settings)
{
    settings.All = controls.playAllCheck->isChecked();
    settings.Loop = controls.loopCheck->isChecked();
    settings.Overlapped = controls.overlappedCheck->isChecked();
    settings.VideoSideBySide = controls.videoSideBySideCheck->isChecked();
    const QFont font = controls.driveBox->font();
    if (font.family() != ResolveFontFamily(settings.FontName))
        settings.FontName = font.family().toStdString();
    settings.FontSize = font.pointSizeF();
}

}  // namespace vistrel
