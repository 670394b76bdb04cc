#pragma once
#include "mediainfo/InfoLines.h"
#include "support/WindowHandle.h"

#include <QSize>

#include <cstdint>
#include <string>
#include <vector>

namespace vistrel {

// What the title play control asks of the main window: the caption and the tip box, the
// info lines, the play options, the file list, the video area, the stream menus and the
// position rail. The main window implements it over its widgets, so the control never
// reaches a widget or another subsystem itself.
class TitleHost {
public:
    virtual ~TitleHost() = default;

    virtual void SetCaption(const std::string& text) = 0;
    virtual bool IsForeground() const = 0;
    virtual void BringToForeground() = 0;
    virtual void ShowTip(const std::string& text) = 0;
    virtual void HideTip() = 0;

    // Fitted to the labels' width; label 0 in dark red when `warn` (the name's extension
    // does not match the content).
    virtual void ShowInfoLines(const InfoLines& lines, bool warn) = 0;
    virtual void ClearInfoLines() = 0;
    // Label 0 says, in dark red, that a repaired copy of the file plays.
    virtual void MarkRepairedCopy() = 0;

    virtual bool LoopChecked() const = 0;
    virtual bool PlayAllChecked() const = 0;
    virtual bool OverlappedChecked() const = 0;

    // The file list: selection flags by row, the caret row (-1: none), full names.
    virtual std::vector<bool> SelectedRows() const = 0;
    virtual int CurrentRow() const = 0;
    virtual std::string FullName(int row) const = 0;
    // Moves the caret (scrolling to it); the selection stays.
    virtual void MoveCaret(int row) = 0;
    // Makes `row` the only selected row and the caret, as a click would: a changed
    // selection plays it.
    virtual void SelectOnly(int row) = 0;
    // Adds `row` to the selection without playing it.
    virtual void SelectQuietly(int row) = 0;
    virtual void FocusFileList() = 0;
    // Fills the drive box and the folder list again (a folder or drive went away).
    virtual void RefreshFolders() = 0;

    // The native window the engines draw video into.
    virtual WindowHandle VideoAreaWindow() = 0;
    virtual void ShowVideoArea(bool show) = 0;
    virtual bool VideoAreaShown() const = 0;

    // Entries 1..count of each stream menu shown, entry 1 checked; the menu is enabled
    // when a title has two streams of a kind or more. (0, 0) resets both menus.
    virtual void ShowStreamMenus(int audioCount, int videoCount) = 0;
    virtual void CheckStream(bool audio, int number) = 0;

    // The position rail: its relative value 0..1, the time labels and the seek state.
    virtual float RailValue() const = 0;
    virtual void SetRailValue(float value) = 0;
    virtual int RailTravel() const = 0;  // pixels the knob can move
    virtual bool RailSeekPending() const = 0;
    virtual void ShowLength(int32_t ms) = 0;
    virtual void ResetTimes() = 0;
    virtual void ForgetRailSeekDuration() = 0;
    virtual void SetLastSeekTick(int64_t tick) = 0;
};

}  // namespace vistrel
