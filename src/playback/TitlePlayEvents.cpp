// Part 3.3: what plays when. B PlaySelectedTitle, C the list's click, D the play
// buttons, D2 skip, E the position poll and its end handling, F next and previous title.
// Opening and closing a title (A, G) are in TitlePlayControl.cpp.
#include "playback/TitlePlayControl.h"

#include "app/MainControls.h"
#include "app/MainTimers.h"
#include "browser/FileBrowser.h"
#include "browser/FileList.h"
#include "controls/PositionRail.h"
#include "playback/MciVoice.h"
#include "playback/PlayerFront.h"

#include <QCheckBox>
#include <QListWidget>
#include <QTimer>

namespace vistrel {

namespace {

constexpr int64_t kListPressQuietMs = 300;  // C: a mouse click never plays overlapped
constexpr int32_t kStallPolls = 15;
constexpr int32_t kShortTitleMs = 5000;
constexpr int64_t kStallGraceMs = 6000;
constexpr int32_t kTinyTitleMs = 500;
constexpr int32_t kStepMs = 10;
constexpr float kNearEndRel = 0.99f;
constexpr float kMaxRel = 0.999f;

}  // namespace

// ---- The file list ----------------------------------------------------------------

std::vector<bool> TitlePlayControl::SelectedFlags() const
{
    const QListWidget* files = p_.controls.fileList;
    std::vector<bool> selected;
    for (int i = 0; i < files->count(); ++i)
        selected.push_back(files->item(i)->isSelected());
    return selected;
}

int TitlePlayControl::SelCount() const
{
    return SelectedCount(SelectedFlags());
}

int TitlePlayControl::CurrentRow() const
{
    return p_.controls.fileList->currentRow();
}

int TitlePlayControl::RowCount() const
{
    return p_.controls.fileList->count();
}

// LB_SETCARETINDEX: the caret moves (with scrolling), the selection stays.
void TitlePlayControl::MoveCaret(int row)
{
    QListWidget* files = p_.controls.fileList;
    files->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    files->scrollToItem(files->item(row));
}

// The row becomes the only selected one and the current one; the list's click (C)
// plays it. Re-selecting the one selected row changes nothing in the list, so the click
// is made here (a single-file loop with "play all").
void TitlePlayControl::SelectOnly(int row)
{
    QListWidget* files = p_.controls.fileList;
    const bool unchanged = SelCount() == 1 && files->item(row)->isSelected() && CurrentRow() == row;
    files->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    files->scrollToItem(files->item(row));
    files->viewport()->update();
    if (unchanged)
        FileListClicked();
}

// ---- B. PlaySelectedTitle, C. the list's click -------------------------------------

void TitlePlayControl::PlaySelectedTitle(bool keepLast, const std::string& caller)
{
    SelectionPlayBusy = true;
    int index = -1;
    const std::vector<bool> selected = SelectedFlags();
    if (SelectedCount(selected) == 1) {
        p_.front.MPlayPause();
        p_.title.playState = MMSTATE_PAUSE;
        // The current entry; a selection without one (made by code) counts instead.
        index = CurrentRow() >= 0 ? CurrentRow() : FirstSelected(selected);
    } else {
        index = FirstSelected(selected);
        if (index < 0 || (index == p_.title.CurrentIndex && p_.title.playState == MMSTATE_PLAY)) {
            SelectionPlayBusy = false;
            return;
        }
    }
    const std::string target = p_.browser.GetFullFilename(index);
    p_.title.CurrentIndex = index;
    if (target != p_.title.CurrentTitle || p_.title.playState != MMSTATE_PLAY) {
        PlayTitle(target, keepLast);
        if (Hooks.AddFolderToHistory)
            Hooks.AddFolderToHistory();
    } else {
        EnablePositionPoll(true, caller);
        p_.front.MPlaySeek(0, false);
        p_.front.MPlayStart();
    }
    SelectionPlayBusy = false;
}

void TitlePlayControl::FileListClicked(const std::string& caller)
{
    const bool separateVideo = Hooks.IsSeparateVideoWindowVisible && Hooks.IsSeparateVideoWindowVisible();
    const bool keepLast =
        Checked(p_.controls.overlappedCheck) && !separateVideo && Now() - ListPressTick > kListPressQuietMs;
    if (!SelectionPlayBusy)
        PlaySelectedTitle(keepLast, caller);
}

// ---- D. Play, pause, stop; D2. skip -----------------------------------------------

void TitlePlayControl::PlayControlClicked(int index)
{
    p_.browser.FocusFileList();
    if (index == 0)
        PlayPressed();
    else if (index == 1)
        PausePressed();
    else if (index == 2)
        StopPressed();
}

void TitlePlayControl::PlayPressed()
{
    TitleState& t = p_.title;
    if (t.playState == MMSTATE_PAUSE || t.playState == MMSTATE_PLAY) {
        if (p_.rail.RailValue() >= 1.0f)
            p_.front.MPlaySeek(0, false);
        if (p_.front.MPlayStart()) {
            t.playState = MMSTATE_PLAY;
            KeepAwake(true);
        }
        PollPosition();
        EnablePositionPoll(true, "PlayClicked");
        return;
    }
    if (SelCount() == 0 && CurrentRow() >= 0) {
        p_.browser.ProgrammaticSelection = true;  // LB_SETSEL: no click
        p_.controls.fileList->item(CurrentRow())->setSelected(true);
        p_.browser.ProgrammaticSelection = false;
    }
    PlaySelectedTitle(false, "playButton");
}

void TitlePlayControl::PausePressed()
{
    TitleState& t = p_.title;
    if (t.playState == MMSTATE_PLAY) {
        p_.front.MPlayPause();
        t.playState = MMSTATE_PAUSE;
        EnablePositionPoll(false, "PauseClicked");
        KeepAwake(false);
    } else if (t.playState == MMSTATE_PAUSE) {
        p_.front.MPlayResume();
        p_.rail.LastSeekTick = p_.front.LastSeekTick;
        t.playState = MMSTATE_PLAY;
        KeepAwake(true);
        EnablePositionPoll(true, "PauseClicked");
    }
}

void TitlePlayControl::StopPressed()
{
    if (p_.title.playState == MMSTATE_CLOSED)
        return;
    if (!p_.controls.videoArea->isHidden()) {
        p_.controls.videoArea->hide();
        p_.controls.fileList->viewport()->update();
    }
    p_.front.MPlayStop();
    CloseMedia(false, false, false);
    p_.title.playState = MMSTATE_CLOSED;
    p_.rail.SetRailValue(0);
    KeepAwake(false);
}

void TitlePlayControl::SkipClicked(int index)
{
    const int count = RowCount();
    if (count == 0)
        return;
    const int n = SelCount();
    if (n > 1) {
        if (index == 1)
            PlayNextTitle(0, true);  // keep-last: DirectShow releases the old title after the open
        else
            PlayPrevTitle(0);
        return;
    }
    if (n == 1 && !FolderChanged) {
        const int from = FirstSelected(SelectedFlags());
        SelectOnly(index == 1 ? (from + 1) % count : (from + count - 1) % count);
        EnablePositionPoll(true, "SkipClicked");
        return;
    }
    SelectOnly(index == 0 ? count - 1 : 0);
}

// ---- E. The position poll ---------------------------------------------------------

void TitlePlayControl::EnablePositionPoll(bool enable, const std::string& caller)
{
    LastPollCaller = caller;
    p_.timers.positionTimer->stop();
    if (enable)
        p_.timers.positionTimer->start();
}

void TitlePlayControl::PollPosition()
{
    if (p_.timers.railMoveTimer->isActive())
        return;
    const int32_t pos = p_.front.MPlayGetPosition();
    const int32_t length = p_.title.CurrentTitleLengthMS;
    const float rel = length < 1 ? 0.0f : static_cast<float>(pos) / static_cast<float>(length);
    const float maxRel = length < 1 ? 0.0f : kMaxRel;
    p_.rail.SetRailValue(rel);
    if (p_.title.playState == MMSTATE_NONE || p_.title.playState == MMSTATE_PAUSE) {
        EnablePositionPoll(false, "PollPosition");
        StallCount = 0;
        return;
    }
    const bool stallEnd = !SelectionPlayBusy && StallEndFound(pos, rel, maxRel);
    PrefetchNext(rel);
    const bool ended = !SelectionPlayBusy && TitleEnded(rel, maxRel, length - pos, stallEnd);
    if (ended)
        HandleEnd(rel);
    // The data model's "0 after an end": the next title's first poll must not take the
    // old title's last position for its own (a fall to 0 would count as another end).
    LastRel = (ended || rel >= 1.0f) ? 0.0f : rel;
    lastPollIndex_ = p_.title.CurrentIndex;
}

// E.4.
bool TitlePlayControl::StallEndFound(int32_t pos, float rel, float maxRel)
{
    if (pos != StallPos) {
        StallPos = pos;
        StallCount = 0;
        return false;
    }
    if (++StallCount < kStallPolls)
        return false;
    const int32_t length = p_.title.CurrentTitleLengthMS;
    const bool ended = length <= kShortTitleMs ||
                       (Now() - PlayStartTick > kStallGraceMs && (rel > maxRel || length < kTinyTitleMs));
    if (ended)
        StallCount = 0;
    return ended;
}

// E.5 (Part 3.5 reads ahead; until it exists the hooks are empty).
void TitlePlayControl::PrefetchNext(float rel)
{
    const int current = CurrentRow();
    if (!Checked(p_.controls.overlappedCheck) || !Checked(p_.controls.playAllCheck) || current < 0 ||
        current >= RowCount() - 1 || rel <= kNearEndRel)
        return;
    const std::string next = p_.browser.GetFullFilename(current + 1);
    if (next == LastPrefetched)
        return;
    if (Hooks.PrefetchFile)
        Hooks.PrefetchFile(next);
    if (Hooks.PreRenderFile)
        Hooks.PreRenderFile(next);
    LastPrefetched = next;
}

// E.6. The overlapped rules come first; the plain end (rel 1.0, a stall) counts with
// them too, so that a title that stalls short of its overlap still ends.
bool TitlePlayControl::TitleEnded(float rel, float maxRel, int32_t remaining, bool stallEnd) const
{
    if (OverlappedActive) {
        const bool sameTitle = p_.title.CurrentIndex == lastPollIndex_;
        if (p_.title.playState != MMSTATE_CLOSED && sameTitle && remaining < OverlappedPlayTimeMS)
            return true;
        if (rel == 0.0f && LastRel >= maxRel)
            return true;
    }
    return rel == 1.0f || stallEnd;
}

// E.7.
void TitlePlayControl::HandleEnd(float rel)
{
    StallCount = 0;
    const MainControls& c = p_.controls;
    const int n = SelCount();
    if (n == 1) {
        if (Checked(c.playAllCheck)) {
            if (CurrentRow() != RowCount() - 1 || Checked(c.loopCheck))
                SkipClicked(1);
            else
                EnablePositionPoll(false, "timer1");
        } else if (!Checked(c.loopCheck)) {
            if (rel == 0.0f && p_.title.playState != MMSTATE_CLOSED)
                p_.rail.SetRailValue(1.0f);
            EnablePositionPoll(false, "PollPosition no loop");
        } else if (p_.title.CurrentTitleLengthMS > 1) {
            p_.front.MPlaySeek(0, false);
            p_.front.MPlayStart();
        }
    } else if (n > 1) {
        if (rel == LastRel)
            EnablePositionPoll(false, "PollPosition SelectedCount() > 1    rel <> LastRel");
        else
            PlayNextTitle(rel, true);
    } else {
        EnablePositionPoll(false, "PollPosition SelectedCount() = 0");
    }
}

// ---- F. Next and previous ---------------------------------------------------------

void TitlePlayControl::PlayNextTitle(float rel, bool keepLast)
{
    if (NextTitleBusy)
        return;
    NextTitleBusy = true;
    EnablePositionPoll(false, "PlayNextTitle start");
    TitleState& t = p_.title;
    if (FolderChanged)
        t.CurrentIndex = -1;
    const std::vector<bool> selected = SelectedFlags();
    const bool loop = Checked(p_.controls.loopCheck);
    int next = t.CurrentIndex == -1 ? -1 : NextSelected(selected, t.CurrentIndex);
    if (next < 0 && loop)
        next = FirstSelected(selected);
    if (next >= 0) {
        CloseMedia(false, keepLast, false);
        t.CurrentIndex = next;
        MoveCaret(next);
        Wait(kStepMs);
        PlayTitle(p_.browser.GetFullFilename(next), keepLast);
    } else {
        StopAfterLastTitle(rel);
    }
    NextTitleBusy = false;
}

// F.4. The spec then sends "play voice1" directly; Part 3.1 C restarts a title that
// stands at its end, which would play the last title again: the title stays at its end.
void TitlePlayControl::StopAfterLastTitle(float rel)
{
    TitleState& t = p_.title;
    if (Hooks.DisableFullscreen)
        Hooks.DisableFullscreen();
    if (rel == 0.0f && t.playState != MMSTATE_CLOSED)
        p_.rail.SetRailValue(1.0f);
    if (rel == 1.0f) {
        p_.front.MPlaySeek(t.CurrentTitleLengthMS, false);
        PollPosition();
    }
    EnablePositionPoll(false, "PlayNextTitle Currenttitle -1");
    t.CurrentIndex = -1;
}

void TitlePlayControl::PlayPrevTitle(float /*rel*/)
{
    EnablePositionPoll(false, " PlayPrevTitle");
    TitleState& t = p_.title;
    const std::vector<bool> selected = SelectedFlags();
    if (FolderChanged)
        t.CurrentIndex = -1;
    int candidate = t.CurrentIndex == -1 ? -1 : PreviousSelected(selected, t.CurrentIndex);
    if (candidate < 0)
        candidate = FirstSelected(selected);
    if (candidate < 0)
        return;
    if (candidate == t.CurrentIndex) {
        p_.front.MPlaySeek(0, false);
        p_.rail.SetRailValue(0);
        if (p_.front.MediaInterface == kMediaInterfaceMCI)
            MciVoice::PlayVoice1();
        return;
    }
    t.CurrentIndex = candidate;
    CloseMedia(false, true, false);
    Wait(kStepMs);
    MoveCaret(candidate);
    PlayTitle(p_.browser.GetFullFilename(candidate), false);
}

}  // namespace vistrel
