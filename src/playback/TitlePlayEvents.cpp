// What plays when: the file list's click, the play buttons, skip, the position poll with
// its end handling, next and previous title.
#include "playback/TitlePlayControl.h"

#include "playback/MciVoice.h"
#include "playback/PlayerFront.h"
#include "support/Selection.h"

#include <QTimer>

namespace vistrel {

namespace {

constexpr int64_t kListPressQuietMs = 300;  // a click right after its press: never overlapped
constexpr int32_t kStallPolls = 15;
constexpr int32_t kShortTitleMs = 5000;
constexpr int64_t kStallGraceMs = 6000;
constexpr int32_t kStepMs = 10;
constexpr float kNearEndRel = 0.99f;
constexpr float kMaxRel = 0.999f;

}  // namespace

// ---- The file list ----------------------------------------------------------------

int TitlePlayControl::SelCount() const
{
    return SelectedCount(host_.SelectedRows());
}

int TitlePlayControl::RowCount() const
{
    return static_cast<int>(host_.SelectedRows().size());
}

// Re-selecting the one selected row changes nothing in the list, so the click is made
// here (a single-file loop with "play all").
void TitlePlayControl::SelectOnly(int row)
{
    const std::vector<bool> selected = host_.SelectedRows();
    const bool unchanged = SelectedCount(selected) == 1 && selected[size_t(row)] && host_.CurrentRow() == row;
    host_.SelectOnly(row);
    if (unchanged)
        FileListClicked();
}

// ---- Playing the selection, the list's click --------------------------------------

void TitlePlayControl::PlaySelectedTitle(bool keepLast, const std::string& caller)
{
    SelectionPlayBusy = true;
    int index = -1;
    const std::vector<bool> selected = host_.SelectedRows();
    if (SelectedCount(selected) == 1) {
        front_.MPlayPause();
        title_.playState = MMSTATE_PAUSE;
        // The current entry; a selection without one (made by code) counts instead.
        index = host_.CurrentRow() >= 0 ? host_.CurrentRow() : FirstSelected(selected);
    } else {
        index = FirstSelected(selected);
        if (index < 0 || (index == title_.CurrentIndex && title_.playState == MMSTATE_PLAY)) {
            SelectionPlayBusy = false;
            return;
        }
    }
    const std::string target = host_.FullName(index);
    title_.CurrentIndex = index;
    if (target != title_.CurrentTitle || title_.playState != MMSTATE_PLAY) {
        PlayTitle(target, keepLast);
        if (Hooks.AddFolderToHistory)
            Hooks.AddFolderToHistory();
    } else {
        EnablePositionPoll(true, caller);
        front_.MPlaySeek(0, false);
        front_.MPlayStart();
    }
    SelectionPlayBusy = false;
}

void TitlePlayControl::FileListClicked(const std::string& caller)
{
    const bool separateVideo = Hooks.IsSeparateVideoWindowVisible && Hooks.IsSeparateVideoWindowVisible();
    const bool keepLast =
        host_.OverlappedChecked() && !separateVideo && Now() - ListPressTick > kListPressQuietMs;
    if (!SelectionPlayBusy)
        PlaySelectedTitle(keepLast, caller);
}

// ---- Play, pause, stop; skip ------------------------------------------------------

void TitlePlayControl::PlayControlClicked(int index)
{
    host_.FocusFileList();
    if (index == 0)
        PlayPressed();
    else if (index == 1)
        PausePressed();
    else if (index == 2)
        StopPressed();
}

void TitlePlayControl::PlayPressed()
{
    TitleState& t = title_;
    if (t.playState == MMSTATE_PAUSE || t.playState == MMSTATE_PLAY) {
        if (host_.RailValue() >= 1.0f)
            front_.MPlaySeek(0, false);
        if (front_.MPlayStart()) {
            t.playState = MMSTATE_PLAY;
            KeepAwake(true);
        }
        PollPosition();
        EnablePositionPoll(true, "PlayClicked");
        return;
    }
    if (SelCount() == 0 && host_.CurrentRow() >= 0) {
        host_.SelectQuietly(host_.CurrentRow());
    }
    PlaySelectedTitle(false, "playButton");
}

void TitlePlayControl::PausePressed()
{
    TitleState& t = title_;
    if (t.playState == MMSTATE_PLAY) {
        front_.MPlayPause();
        t.playState = MMSTATE_PAUSE;
        EnablePositionPoll(false, "PauseClicked");
        KeepAwake(false);
    } else if (t.playState == MMSTATE_PAUSE) {
        front_.MPlayResume();
        host_.SetLastSeekTick(front_.LastSeekTick);
        t.playState = MMSTATE_PLAY;
        KeepAwake(true);
        EnablePositionPoll(true, "PauseClicked");
    }
}

void TitlePlayControl::StopPressed()
{
    if (title_.playState == MMSTATE_CLOSED)
        return;
    if (host_.VideoAreaShown())
        host_.ShowVideoArea(false);
    if (Hooks.HideVideo)
        Hooks.HideVideo();
    front_.MPlayStop();
    CloseMedia(false, false, false);
    title_.playState = MMSTATE_CLOSED;
    host_.SetRailValue(0);
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
            PlayNextTitle(0, true);  // keep-last: the old title goes after the open
        else
            PlayPrevTitle(0);
        return;
    }
    if (n == 1 && !FolderChanged) {
        const int from = FirstSelected(host_.SelectedRows());
        SelectOnly(index == 1 ? (from + 1) % count : (from + count - 1) % count);
        EnablePositionPoll(true, "SkipClicked");
        return;
    }
    SelectOnly(index == 0 ? count - 1 : 0);
}

// ---- The position poll ------------------------------------------------------------

void TitlePlayControl::EnablePositionPoll(bool enable, const std::string& caller)
{
    LastPollCaller = caller;
    timers_.positionTimer->stop();
    if (enable)
        timers_.positionTimer->start();
}

void TitlePlayControl::PollPosition()
{
    if (host_.RailSeekPending())
        return;
    const int32_t pos = front_.MPlayGetPosition();
    const int32_t length = title_.CurrentTitleLengthMS;
    const float rel = length < 1 ? 0.0f : static_cast<float>(pos) / static_cast<float>(length);
    const float maxRel = length < 1 ? 0.0f : kMaxRel;
    host_.SetRailValue(rel);
    if (title_.playState == MMSTATE_NONE || title_.playState == MMSTATE_PAUSE) {
        EnablePositionPoll(false, "PollPosition");
        StallCount = 0;
        return;
    }
    const bool stallEnd = !SelectionPlayBusy && StallEndFound(pos, rel, maxRel);
    PrefetchNext(rel);
    const bool ended = !SelectionPlayBusy && TitleEnded(rel, maxRel, length - pos, stallEnd);
    if (ended)
        HandleEnd(rel);
    // LastRel is 0 after an end: the next title's first poll must not take the
    // old title's last position for its own (a fall to 0 would count as another end).
    LastRel = (ended || rel >= 1.0f) ? 0.0f : rel;
    lastPollIndex_ = title_.CurrentIndex;
}

// A position that has stood still for kStallPolls polls ends a title that has played a
// while: a short one anywhere, a longer one near its end. A title still starting is not
// ended, however short: a video may stand at its first frame for seconds while its
// engine starts the sound.
bool TitlePlayControl::StallEndFound(int32_t pos, float rel, float maxRel)
{
    if (pos != StallPos) {
        StallPos = pos;
        StallCount = 0;
        return false;
    }
    if (++StallCount < kStallPolls)
        return false;
    const int32_t length = title_.CurrentTitleLengthMS;
    const bool ended = Now() - PlayStartTick > kStallGraceMs && (length <= kShortTitleMs || rel > maxRel);
    if (ended)
        StallCount = 0;
    return ended;
}

// Near the end of a title in overlapped play-all, the next file is read ahead.
void TitlePlayControl::PrefetchNext(float rel)
{
    const int current = host_.CurrentRow();
    if (!host_.OverlappedChecked() || !host_.PlayAllChecked() || current < 0 ||
        current >= RowCount() - 1 || rel <= kNearEndRel)
        return;
    const std::string next = host_.FullName(current + 1);
    if (next == LastPrefetched)
        return;
    if (Hooks.PrefetchFile)
        Hooks.PrefetchFile(next);
    if (Hooks.PreRenderFile)
        Hooks.PreRenderFile(next);
    LastPrefetched = next;
}

// The overlapped rules come first; the plain end (rel 1.0, a stall) counts with
// them too, so that a title that stalls short of its overlap still ends.
bool TitlePlayControl::TitleEnded(float rel, float maxRel, int32_t remaining, bool stallEnd) const
{
    if (OverlappedActive) {
        const bool sameTitle = title_.CurrentIndex == lastPollIndex_;
        if (title_.playState != MMSTATE_CLOSED && sameTitle && remaining < OverlappedPlayTimeMS)
            return true;
        if (rel == 0.0f && LastRel >= maxRel)
            return true;
    }
    return rel == 1.0f || stallEnd;
}

// A title's end: next, loop or stop, by the number of selected files.
void TitlePlayControl::HandleEnd(float rel)
{
    StallCount = 0;
    const int n = SelCount();
    if (n == 1) {
        if (host_.PlayAllChecked()) {
            if (host_.CurrentRow() != RowCount() - 1 || host_.LoopChecked())
                SkipClicked(1);
            else
                EnablePositionPoll(false, "timer1");
        } else if (!host_.LoopChecked()) {
            if (rel == 0.0f && title_.playState != MMSTATE_CLOSED)
                host_.SetRailValue(1.0f);
            EnablePositionPoll(false, "PollPosition no loop");
        } else if (title_.CurrentTitleLengthMS > 1) {
            front_.MPlaySeek(0, false);
            front_.MPlayStart();
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

// ---- Next and previous ------------------------------------------------------------

void TitlePlayControl::PlayNextTitle(float rel, bool keepLast)
{
    if (NextTitleBusy)
        return;
    NextTitleBusy = true;
    EnablePositionPoll(false, "PlayNextTitle start");
    TitleState& t = title_;
    if (FolderChanged)
        t.CurrentIndex = -1;
    const std::vector<bool> selected = host_.SelectedRows();
    const bool loop = host_.LoopChecked();
    int next = t.CurrentIndex == -1 ? -1 : NextSelected(selected, t.CurrentIndex);
    if (next < 0 && loop)
        next = FirstSelected(selected);
    if (next >= 0) {
        CloseMedia(false, keepLast, false);
        t.CurrentIndex = next;
        host_.MoveCaret(next);
        Wait(kStepMs);
        PlayTitle(host_.FullName(next), keepLast);
    } else {
        StopAfterLastTitle(rel);
    }
    NextTitleBusy = false;
}

// The last title stays at its end: no play command follows the seek, because PlayVoice1
// restarts a title that stands at its end and would play it again.
void TitlePlayControl::StopAfterLastTitle(float rel)
{
    TitleState& t = title_;
    if (Hooks.DisableFullscreen)
        Hooks.DisableFullscreen();
    if (rel == 0.0f && t.playState != MMSTATE_CLOSED)
        host_.SetRailValue(1.0f);
    if (rel == 1.0f) {
        front_.MPlaySeek(t.CurrentTitleLengthMS, false);
        PollPosition();
    }
    EnablePositionPoll(false, "PlayNextTitle Currenttitle -1");
    t.CurrentIndex = -1;
}

void TitlePlayControl::PlayPrevTitle(float /*rel*/)
{
    EnablePositionPoll(false, " PlayPrevTitle");
    TitleState& t = title_;
    const std::vector<bool> selected = host_.SelectedRows();
    if (FolderChanged)
        t.CurrentIndex = -1;
    int candidate = t.CurrentIndex == -1 ? -1 : PreviousSelected(selected, t.CurrentIndex);
    if (candidate < 0)
        candidate = FirstSelected(selected);
    if (candidate < 0)
        return;
    if (candidate == t.CurrentIndex) {
        front_.MPlaySeek(0, false);
        host_.SetRailValue(0);
        if (front_.TitleInterface() == kMediaInterfaceMCI)
            MciVoice::PlayVoice1();
        return;
    }
    t.CurrentIndex = candidate;
    CloseMedia(false, true, false);
    Wait(kStepMs);
    host_.MoveCaret(candidate);
    PlayTitle(host_.FullName(candidate), false);
}

}  // namespace vistrel
