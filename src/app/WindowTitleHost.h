#pragma once
#include "playback/TitleHost.h"

class QWidget;

namespace vistrel {

class FileBrowser;
class MainMenus;
class MainTimers;
class PositionRail;
class PositionRailWidget;
struct MainControls;

// The title play control's view of the main window: its widgets, the file browser and the
// position rail.
class WindowTitleHost : public TitleHost {
public:
    WindowTitleHost(QWidget& window, const MainControls& controls, MainMenus& menus, const MainTimers& timers,
                    FileBrowser& browser, PositionRail& rail, PositionRailWidget& railRow);

    void SetCaption(const std::string& text) override;
    bool IsForeground() const override;
    void BringToForeground() override;
    void ShowTip(const std::string& text) override;
    void HideTip() override;

    void ShowInfoLines(const InfoLines& lines, bool warn) override;
    void ClearInfoLines() override;
    void MarkRepairedCopy() override;

    bool LoopChecked() const override;
    bool PlayAllChecked() const override;
    bool OverlappedChecked() const override;

    std::vector<bool> SelectedRows() const override;
    int CurrentRow() const override;
    std::string FullName(int row) const override;
    void MoveCaret(int row) override;
    void SelectOnly(int row) override;
    void SelectQuietly(int row) override;
    void FocusFileList() override;
    void RefreshFolders() override;

    WindowHandle VideoAreaWindow() override;
    void ShowVideoArea(bool show) override;
    bool VideoAreaShown() const override;

    void ShowStreamMenus(int audioCount, int videoCount) override;
    void CheckStream(bool audio, int number) override;

    float RailValue() const override;
    void SetRailValue(float value) override;
    int RailTravel() const override;
    bool RailSeekPending() const override;
    void ShowLength(int32_t ms) override;
    void ResetTimes() override;
    void ForgetRailSeekDuration() override;
    void SetLastSeekTick(int64_t tick) override;

private:
    void SetLabel0Warning(bool warn);

    QWidget& window_;
    const MainControls& controls_;
    MainMenus& menus_;
    const MainTimers& timers_;
    FileBrowser& browser_;
    PositionRail& rail_;
    PositionRailWidget& railRow_;
};

}  // namespace vistrel
