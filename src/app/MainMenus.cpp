#include "app/MainMenus.h"

#include "app/Settings.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace vistrel {

namespace {

QAction* NamedAction(QMenu* menu, const char* name, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}

QMenu* NamedMenu(QWidget* parent, const char* name, const QString& title)
{
    auto* menu = new QMenu(title, parent);
    menu->setObjectName(name);
    return menu;
}

// The Part that gives these entries their actions is not built yet.
void DisableAll(std::initializer_list<QAction*> actions)
{
    for (QAction* action : actions)
        action->setEnabled(false);
}

std::vector<std::string> Names(const std::vector<PathItem>& items)
{
    std::vector<std::string> names;
    for (const PathItem& item : items)
        names.push_back(item.Name);
    return names;
}

std::vector<std::string> Names(const std::vector<OpenWithItem>& items)
{
    std::vector<std::string> names;
    for (const OpenWithItem& item : items)
        names.push_back(item.Name);
    return names;
}

void DisableEntries(const MenuArray& array)
{
    for (int i = 1; i <= array.Count(); ++i)
        array.Element(i)->setEnabled(false);
}

}  // namespace

MainMenus::MainMenus(QWidget* owner)
{
    popMoveTo = BuildDestinationMenu(owner, "popMoveTo", "mnuMoveTo", "mnuMoveTo");
    popCopyTo = BuildDestinationMenu(owner, "popCopyTo", "mnuCopyTo", "mnuCopyTo");
    popGoto = BuildDestinationMenu(owner, "popGoto", "mnuGoto", "mnuGoto");
    popGoto.browse->setObjectName("mnuGoToBrowse");
    BuildFileMenu(owner);
    BuildFolderMenu(owner);
    BuildVideoMenu(owner);
}

MainMenus::~MainMenus() = default;

DestinationMenu MainMenus::BuildDestinationMenu(QWidget* owner, const char* popupName, const char* arrayName,
                                                const char* itemPrefix)
{
    DestinationMenu m;
    m.popup = NamedMenu(owner, popupName, QString());
    QAction* separator = m.popup->addSeparator();
    m.entries = std::make_unique<MenuArray>(m.popup, separator, arrayName);
    const std::string prefix = itemPrefix;
    m.addCurrent = NamedAction(m.popup, (prefix + "AddCurrent").c_str(), "Add Current Folder");
    m.config = NamedAction(m.popup, (prefix + "Config").c_str(), "Configure List...");
    m.browse = NamedAction(m.popup, (prefix + "Browse").c_str(), "Browse...");
    DisableAll({m.addCurrent, m.config, m.browse});
    return m;
}

void MainMenus::BuildFileMenu(QWidget* owner)
{
    mnuPopup = NamedMenu(owner, "mnuPopup", QString());
    popMoveTo.popup->setTitle("MoveTo");
    popCopyTo.popup->setTitle("CopyTo");
    mnuPopup->addMenu(popMoveTo.popup);
    mnuPopup->addMenu(popCopyTo.popup);
    mnuRename = NamedAction(mnuPopup, "mnuRename", "Rename");
    mnuDelete = NamedAction(mnuPopup, "mnuDelete", "Delete");
    mnuTrennShell0 = mnuPopup->addSeparator();
    mnuTrennShell0->setObjectName("mnuTrennShell0");
    mnuShellBase = NamedMenu(owner, "mnuShellBase", "Open with...");
    mnuShell = std::make_unique<MenuArray>(mnuShellBase, nullptr, "mnuShell");
    mnuPopup->addMenu(mnuShellBase);
    mnuProps = NamedAction(mnuPopup, "mnuProps", "Properties");
    DisableAll({mnuRename, mnuDelete, mnuProps});
}

void MainMenus::BuildFolderMenu(QWidget* owner)
{
    mnuPopupDir1 = NamedMenu(owner, "mnuPopupDir1", QString());
    mnuDirExploreFromHere = NamedAction(mnuPopupDir1, "mnuDirExploreFromHere", "Explorer from here");
    mnuDirCopyPath = NamedAction(mnuPopupDir1, "mnuDirCopyPath", "&Copy Path");
    mnuDirCopyFolder = NamedAction(mnuPopupDir1, "mnuDirCopyFolder", "&Copy Folder Name");
    mnuNewFolder = NamedAction(mnuPopupDir1, "mnuNewFolder", "New Folder");
    DisableAll({mnuDirExploreFromHere, mnuDirCopyPath, mnuDirCopyFolder, mnuNewFolder});
}

void MainMenus::BuildVideoMenu(QWidget* owner)
{
    mnuPopupVid = NamedMenu(owner, "mnuPopupVid", QString());
    mnuFullscreen = NamedAction(mnuPopupVid, "mnuFullscreen", "Fullscreen");
    mnuFullscreen->setCheckable(true);
    mnuZoomRoot = NamedMenu(owner, "mnuZoomRoot", "Zoom");
    const char* zoomCaptions[] = {"25%", "33%", "50%", "67%", "75%", "100%",
                                  "150%", "200%", "300%", "Fullscreen", "Overscan"};
    for (int i = 0; i < 11; ++i) {
        mnuZoom[i] = NamedAction(mnuZoomRoot, ("mnuZoom_" + std::to_string(i)).c_str(), zoomCaptions[i]);
        mnuZoom[i]->setCheckable(true);
    }
    mnuPopupVid->addMenu(mnuZoomRoot);
    mnuAspectRatio = NamedMenu(owner, "mnuAspectRatio", "AspectRatio");
    const char* aspectCaptions[] = {"1:1 (as is)", "4:3", "16:9", "Default"};
    for (int i = 0; i < 4; ++i) {
        mnuAspect[i] = NamedAction(mnuAspectRatio, ("mnuAspect_" + std::to_string(i)).c_str(), aspectCaptions[i]);
        mnuAspect[i]->setCheckable(true);
    }
    mnuPopupVid->addMenu(mnuAspectRatio);
    BuildStreamMenus();
    mnuPopupVid->addMenu(mnuStreams);
    mnuPopupVid->addSeparator();
    mnuPlay = NamedAction(mnuPopupVid, "mnuPlay", "Play");
    mnuPause = NamedAction(mnuPopupVid, "mnuPause", "Pause");
    mnuStop = NamedAction(mnuPopupVid, "mnuStop", "Stop");
    mnuFullscreen->setEnabled(false);
    mnuZoomRoot->setEnabled(false);
    mnuAspectRatio->setEnabled(false);
}

// Part 1.3 A.3: "Audio 1" .. "Audio 16" and "Video 1" .. "Video 8"; Part 3.3 shows as
// many as the title has. Closed: disabled, entries 2.. hidden.
void MainMenus::BuildStreamMenus()
{
    mnuStreams = NamedMenu(mnuPopupVid, "mnuStreams", "Streams");
    for (int i = 1; i <= kAudioStreamEntries; ++i) {
        mnuAudioStream[i] = NamedAction(mnuStreams, ("mnuAudioStream_" + std::to_string(i)).c_str(),
                                        QString("Audio %1").arg(i));
        mnuAudioStream[i]->setCheckable(true);
        mnuAudioStream[i]->setVisible(i == 1);
    }
    mnuStreams->addSeparator();
    for (int i = 1; i <= kVideoStreamEntries; ++i) {
        mnuVideoStream[i] = NamedAction(mnuStreams, ("mnuVideoStream_" + std::to_string(i)).c_str(),
                                        QString("Video %1").arg(i));
        mnuVideoStream[i]->setCheckable(true);
        mnuVideoStream[i]->setVisible(i == 1);
    }
    mnuStreams->setEnabled(false);
}

void MainMenus::BuildListMenus(const Settings& settings)
{
    const bool hotkeys = settings.UseMenuHotkeys;
    popMoveTo.entries->Build(Names(settings.CopyMoveTo), kMoveToHotkeyPrefix, kDigitFirstCode, hotkeys);
    popCopyTo.entries->Build(Names(settings.CopyMoveTo), kCopyToHotkeyPrefix, kDigitFirstCode, hotkeys);
    popGoto.entries->Build(Names(settings.GoTo), kGotoHotkeyPrefix, kLetterFirstCode, hotkeys);
    mnuShell->Build(Names(settings.OpenWith), "", 0, false);
    const bool haveOpenWith = !settings.OpenWith.empty();
    mnuShellBase->menuAction()->setVisible(haveOpenWith);
    mnuTrennShell0->setVisible(haveOpenWith);
    for (const MenuArray* array : {popMoveTo.entries.get(), popCopyTo.entries.get(), popGoto.entries.get(), mnuShell.get()})
        DisableEntries(*array);
}

}  // namespace vistrel
