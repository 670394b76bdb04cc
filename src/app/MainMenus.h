#pragma once
// The main window's menus: the file context menu fileMenu, the folder context menu
// folderMenu, the video pop-up videoMenu with the stream menus, and the popups of the
// three menu buttons. The fullscreen, zoom and aspect entries are enabled and ticked by
// the video layout while a title shows video.
#include "browser/ListMenus.h"

#include <QObject>

#include <array>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace vistrel {

struct Settings;

inline constexpr int kAudioStreamEntries = 16;
inline constexpr int kVideoStreamEntries = 8;

// One destination popup: the list's entries, then "Add Current Folder", "Configure
// List..." and "Browse...".
struct DestinationMenu {
    QMenu* popup = nullptr;
    std::unique_ptr<MenuArray> entries;
    QAction* addCurrent = nullptr;
    QAction* config = nullptr;
    QAction* browse = nullptr;
};

class MainMenus {
public:
    explicit MainMenus(QWidget* owner);
    ~MainMenus();

    // The list menus from the loaded lists, with hotkey texts when
    // `UseMenuHotkeys` is on; "Open with..." and its separator hidden for an empty list.
    void BuildListMenus(const Settings& settings);

    DestinationMenu moveToMenu, copyToMenu, goToMenu;
    QMenu* fileMenu = nullptr;
    QAction* renameAction = nullptr;
    QAction* deleteAction = nullptr;
    QAction* openWithSeparator = nullptr;
    QMenu* openWithMenu = nullptr;
    std::unique_ptr<MenuArray> openWithEntries;
    QAction* propertiesAction = nullptr;

    QMenu* folderMenu = nullptr;
    QAction* exploreFromHereAction = nullptr;
    QAction* copyPathAction = nullptr;
    QAction* copyFolderAction = nullptr;
    QAction* newFolderAction = nullptr;

    QMenu* videoMenu = nullptr;
    QAction* fullscreenAction = nullptr;
    QMenu* zoomMenu = nullptr;
    std::array<QAction*, 11> zoomActions{};
    QMenu* aspectMenu = nullptr;
    std::array<QAction*, 4> aspectActions{};
    QMenu* streamsMenu = nullptr;
    std::array<QAction*, kAudioStreamEntries + 1> audioStreamActions{};  // 1-based
    std::array<QAction*, kVideoStreamEntries + 1> videoStreamActions{};  // 1-based
    QAction* playAction = nullptr;
    QAction* pauseAction = nullptr;
    QAction* stopAction = nullptr;

private:
    void BuildFileMenu(QWidget* owner);
    void BuildFolderMenu(QWidget* owner);
    void BuildVideoMenu(QWidget* owner);
    void BuildStreamMenus();
    DestinationMenu BuildDestinationMenu(QWidget* owner, const char* popupName, const char* arrayName,
                                         const char* itemPrefix);
};

}  // namespace vistrel
