#include "app/WindowTitleHost.h"

#include "app/MainControls.h"
#include "app/MainMenus.h"
#include "app/MainTimers.h"
#include "browser/FileBrowser.h"
#include "controls/PositionRail.h"
#include "controls/PositionRailWidget.h"
#include "controls/RailControl.h"
#include "mediainfo/FormatInfoDisplay.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QListView>
#include <QMenu>

namespace vistrel {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// Entries 1..count shown (entry 1 always, disabled without streams), entry 1 checked.
template <size_t N>
void ShowStreamEntries(const std::array<QAction*, N>& entries, int count)
{
    for (size_t i = 1; i < N; ++i) {
        entries[i]->setVisible(int(i) <= std::max(count, 1));
        entries[i]->setEnabled(count > 0);
        entries[i]->setChecked(i == 1 && count > 0);
    }
}

template <size_t N>
void CheckEntry(const std::array<QAction*, N>& entries, int number)
{
    for (size_t i = 1; i < N; ++i)
        entries[i]->setChecked(int(i) == number);
}

}  // namespace

WindowTitleHost::WindowTitleHost(QWidget& window, const MainControls& controls, MainMenus& menus,
                                 const MainTimers& timers, FileBrowser& browser, PositionRail& rail,
                                 PositionRailWidget& railRow)
    : window_(window), controls_(controls), menus_(menus), timers_(timers), browser_(browser), rail_(rail),
      railRow_(railRow)
{
}

void WindowTitleHost::SetCaption(const std::string& text)
{
    window_.setWindowTitle(Q(text));
}

bool WindowTitleHost::IsForeground() const
{
    return window_.isActiveWindow();
}

void WindowTitleHost::BringToForeground()
{
    window_.raise();
    window_.activateWindow();
}

void WindowTitleHost::ShowTip(const std::string& text)
{
    controls_.tipLabel->setText(Q(text));
    controls_.tipBox->show();
}

void WindowTitleHost::HideTip()
{
    controls_.tipBox->hide();
}

// The fitting passes measure in the labels' own font and width.
void WindowTitleHost::ShowInfoLines(const InfoLines& lines, bool warn)
{
    SetLabel0Warning(warn);
    InfoLines fitted = lines;
    const QLabel* sample = controls_.formatInfoLabels[kFirstFittedLabel];
    const QFontMetrics metrics(sample->font());
    FitInfoLines(
        fitted, [&metrics](const std::string& text) { return metrics.horizontalAdvance(Q(text)); },
        sample->contentsRect().width());
    for (int i = 0; i <= kLastShownLabel; ++i) {
        controls_.formatInfoLabels[size_t(i)]->setText(Q(fitted[size_t(i)]));
        controls_.formatInfoLabels[size_t(i)]->repaint();
    }
}

void WindowTitleHost::ClearInfoLines()
{
    for (QLabel* label : controls_.formatInfoLabels)
        label->clear();
}

void WindowTitleHost::MarkRepairedCopy()
{
    QLabel* label0 = controls_.formatInfoLabels[0];
    label0->setText(label0->text() + " (corrupt)");
    SetLabel0Warning(true);
}

void WindowTitleHost::SetLabel0Warning(bool warn)
{
    QLabel* label0 = controls_.formatInfoLabels[0];
    QPalette palette = label0->palette();
    const QColor normal = QApplication::palette(label0).color(QPalette::WindowText);
    palette.setColor(QPalette::WindowText, warn ? QColor(128, 0, 0) : normal);
    label0->setPalette(palette);
}

bool WindowTitleHost::LoopChecked() const
{
    return controls_.loopCheck->isChecked();
}

bool WindowTitleHost::PlayAllChecked() const
{
    return controls_.playAllCheck->isChecked();
}

bool WindowTitleHost::OverlappedChecked() const
{
    return controls_.overlappedCheck->isChecked();
}

std::vector<bool> WindowTitleHost::SelectedRows() const
{
    return browser_.SelectedFlags();
}

int WindowTitleHost::CurrentRow() const
{
    return browser_.CurrentRow();
}

std::string WindowTitleHost::FullName(int row) const
{
    return browser_.GetFullFilename(row);
}

void WindowTitleHost::MoveCaret(int row)
{
    browser_.MoveCaret(row);
}

void WindowTitleHost::SelectOnly(int row)
{
    browser_.SelectOnly(row);
}

void WindowTitleHost::SelectQuietly(int row)
{
    browser_.SelectQuietly(row);
}

void WindowTitleHost::FocusFileList()
{
    browser_.FocusFileList();
}

void WindowTitleHost::RefreshFolders()
{
    browser_.RefreshDirAndFileList();
}

WindowHandle WindowTitleHost::VideoAreaWindow()
{
    return static_cast<WindowHandle>(controls_.videoArea->winId());
}

// Hiding the video area uncovers part of the file list, which repaints at once.
void WindowTitleHost::ShowVideoArea(bool show)
{
    controls_.videoArea->setVisible(show);
    if (!show)
        controls_.fileList->viewport()->update();
}

bool WindowTitleHost::VideoAreaShown() const
{
    return !controls_.videoArea->isHidden();
}

void WindowTitleHost::ShowStreamMenus(int audioCount, int videoCount)
{
    ShowStreamEntries(menus_.audioStreamActions, audioCount);
    ShowStreamEntries(menus_.videoStreamActions, videoCount);
    menus_.streamsMenu->setEnabled(audioCount >= 2 || videoCount >= 2);
}

void WindowTitleHost::CheckStream(bool audio, int number)
{
    if (audio)
        CheckEntry(menus_.audioStreamActions, number);
    else
        CheckEntry(menus_.videoStreamActions, number);
}

float WindowTitleHost::RailValue() const
{
    return rail_.RailValue();
}

void WindowTitleHost::SetRailValue(float value)
{
    rail_.SetRailValue(value);
}

int WindowTitleHost::RailTravel() const
{
    return railRow_.railPicture->width() - railRow_.railKnob->width();
}

bool WindowTitleHost::RailSeekPending() const
{
    return timers_.railMoveTimer->isActive();
}

void WindowTitleHost::ShowLength(int32_t ms)
{
    rail_.ShowLength(ms);
}

void WindowTitleHost::ResetTimes()
{
    rail_.ResetTimes();
}

void WindowTitleHost::ForgetRailSeekDuration()
{
    rail_.LastSeekDurationMS = -1;
}

void WindowTitleHost::SetLastSeekTick(int64_t tick)
{
    rail_.LastSeekTick = tick;
}

}  // namespace vistrel
