#pragma once
// The main window's menus (Parts 1.3 A.3, 4.1, 4.2, 4.3, 5.1, 3.3): the file context menu
// mnuPopup, the folder context menu mnuPopupDir1, the video pop-up mnuPopupVid with the
// stream menus, and the popups of the three menu buttons. Entries of Parts that are not
// built yet are present and disabled.
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

    // Part 1.2 step 6: the list menus from the loaded lists, with hotkey texts when
    // `UseMenuHotkeys` is on; "Open with..." and its separator hidden for an empty list.
    void BuildListMenus(const Settings& settings);

    DestinationMenu popMoveTo, popCopyTo, popGoto;
    QMenu* mnuPopup = nullptr;
    QAction* mnuRename = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuTrennShell0 = nullptr;
    QMenu* mnuShellBase = nullptr;
    std::unique_ptr<MenuArray> mnuShell;
    QAction* mnuProps = nullptr;

    QMenu* mnuPopupDir1 = nullptr;
    QAction* mnuDirExploreFromHere = nullptr;
    QAction* mnuDirCopyPath = nullptr;
    QAction* mnuDirCopyFolder = nullptr;
    QAction* mnuNewFolder = nullptr;

    QMenu* mnuPopupVid = nullptr;
    QAction* mnuFullscreen = nullptr;
    QMenu* mnuZoomRoot = nullptr;
    std::array<QAction*, 11> mnuZoom{};
    QMenu* mnuAspectRatio = nullptr;
    std::array<QAction*, 4> mnuAspect{};
    QMenu* mnuStreams = nullptr;
    std::array<QAction*, kAudioStreamEntries + 1> mnuAudioStream{};  // 1-based
    std::array<QAction*, kVideoStreamEntries + 1> mnuVideoStream{};  // 1-based
    QAction* mnuPlay = nullptr;
    QAction* mnuPause = nullptr;
    QAction* mnuStop = nullptr;

private:
    void BuildFileMenu(QWidget* owner);
    void BuildFolderMenu(QWidget* owner);
    void BuildVideoMenu(QWidget* owner);
    void BuildStreamMenus();
    DestinationMenu BuildDestinationMenu(QWidget* owner, const char* popupName, const char* arrayName,
                                         const char* itemPrefix);
};

}  // namespace vistrel
