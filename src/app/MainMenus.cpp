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

}  // namespace

MainMenus::MainMenus(QWidget* owner)
{
    moveToMenu = BuildDestinationMenu(owner, "moveToMenu", "moveToEntries", "moveToEntries");
    copyToMenu = BuildDestinationMenu(owner, "copyToMenu", "copyToEntries", "copyToEntries");
    goToMenu = BuildDestinationMenu(owner, "goToMenu", "goToEntries", "goToEntries");
    goToMenu.browse->setObjectName("goToBrowseAction");
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
    return m;
}

void MainMenus::BuildFileMenu(QWidget* owner)
{
    fileMenu = NamedMenu(owner, "fileMenu", QString());
    moveToMenu.popup->setTitle("MoveTo");
    copyToMenu.popup->setTitle("CopyTo");
    fileMenu->addMenu(moveToMenu.popup);
    fileMenu->addMenu(copyToMenu.popup);
    renameAction = NamedAction(fileMenu, "renameAction", "Rename");
    deleteAction = NamedAction(fileMenu, "deleteAction", "Delete");
    openWithSeparator = fileMenu->addSeparator();
    openWithSeparator->setObjectName("openWithSeparator");
    openWithMenu = NamedMenu(owner, "openWithMenu", "Open with...");
    openWithEntries = std::make_unique<MenuArray>(openWithMenu, nullptr, "openWithEntries");
    fileMenu->addMenu(openWithMenu);
    propertiesAction = NamedAction(fileMenu, "propertiesAction", "Properties");
}

void MainMenus::BuildFolderMenu(QWidget* owner)
{
    folderMenu = NamedMenu(owner, "folderMenu", QString());
    exploreFromHereAction = NamedAction(folderMenu, "exploreFromHereAction", "Explorer from here");
    copyPathAction = NamedAction(folderMenu, "copyPathAction", "&Copy Path");
    copyFolderAction = NamedAction(folderMenu, "copyFolderAction", "&Copy Folder Name");
    newFolderAction = NamedAction(folderMenu, "newFolderAction", "New Folder");
}

void MainMenus::BuildVideoMenu(QWidget* owner)
{
    videoMenu = NamedMenu(owner, "videoMenu", QString());
    fullscreenAction = NamedAction(videoMenu, "fullscreenAction", "Fullscreen");
    fullscreenAction->setCheckable(true);
    zoomMenu = NamedMenu(owner, "zoomMenu", "Zoom");
    const char* zoomCaptions[] = {"25%", "33%", "50%", "67%", "75%", "100%",
                                  "150%", "200%", "300%", "Fullscreen", "Overscan"};
    for (int i = 0; i < 11; ++i) {
        zoomActions[i] = NamedAction(zoomMenu, ("zoomAction_" + std::to_string(i)).c_str(), zoomCaptions[i]);
        zoomActions[i]->setCheckable(true);
    }
    videoMenu->addMenu(zoomMenu);
    aspectMenu = NamedMenu(owner, "aspectMenu", "AspectRatio");
    const char* aspectCaptions[] = {"1:1 (as is)", "4:3", "16:9", "Default"};
    for (int i = 0; i < 4; ++i) {
        aspectActions[i] = NamedAction(aspectMenu, ("aspectAction_" + std::to_string(i)).c_str(), aspectCaptions[i]);
        aspectActions[i]->setCheckable(true);
    }
    videoMenu->addMenu(aspectMenu);
    BuildStreamMenus();
    videoMenu->addMenu(streamsMenu);
    videoMenu->addSeparator();
    playAction = NamedAction(videoMenu, "playAction", "Play");
    pauseAction = NamedAction(videoMenu, "pauseAction", "Pause");
    stopAction = NamedAction(videoMenu, "stopAction", "Stop");
    fullscreenAction->setEnabled(false);
    zoomMenu->setEnabled(false);
    aspectMenu->setEnabled(false);
}

// "Audio 1" .. "Audio 16" and "Video 1" .. "Video 8"; the title play control shows as
// many as the title has. Closed: disabled, entries 2.. hidden.
void MainMenus::BuildStreamMenus()
{
    streamsMenu = NamedMenu(videoMenu, "streamsMenu", "Streams");
    for (int i = 1; i <= kAudioStreamEntries; ++i) {
        audioStreamActions[i] = NamedAction(streamsMenu, ("audioStreamAction_" + std::to_string(i)).c_str(),
                                        QString("Audio %1").arg(i));
        audioStreamActions[i]->setCheckable(true);
        audioStreamActions[i]->setVisible(i == 1);
    }
    streamsMenu->addSeparator();
    for (int i = 1; i <= kVideoStreamEntries; ++i) {
        videoStreamActions[i] = NamedAction(streamsMenu, ("videoStreamAction_" + std::to_string(i)).c_str(),
                                        QString("Video %1").arg(i));
        videoStreamActions[i]->setCheckable(true);
        videoStreamActions[i]->setVisible(i == 1);
    }
    streamsMenu->setEnabled(false);
}

void MainMenus::BuildListMenus(const Settings& settings)
{
    const bool hotkeys = settings.UseMenuHotkeys;
    moveToMenu.entries->Build(Names(settings.CopyMoveTo), kMoveToHotkeyPrefix, kDigitFirstCode, hotkeys);
    copyToMenu.entries->Build(Names(settings.CopyMoveTo), kCopyToHotkeyPrefix, kDigitFirstCode, hotkeys);
    goToMenu.entries->Build(Names(settings.GoTo), kGotoHotkeyPrefix, kLetterFirstCode, hotkeys);
    openWithEntries->Build(Names(settings.OpenWith), "", 0, false);
    const bool haveOpenWith = !settings.OpenWith.empty();
    openWithMenu->menuAction()->setVisible(haveOpenWith);
    openWithSeparator->setVisible(haveOpenWith);
}

}  // namespace vistrel
