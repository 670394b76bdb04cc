// The main window's keyboard: every key meant for the window is seen here before the
// control with the focus gets it (KeyCommands decides what it does), and the commands run
// through the same handlers as the buttons and menus.
#include "app/MainMenus.h"
#include "app/MainWindow.h"
#include "browser/FileBrowser.h"
#include "controls/PositionRail.h"
#include "playback/TitlePlayControl.h"
#include "support/AppTitle.h"
#include "support/Hooks.h"
#include "support/MsgBox.h"
#include "video/VideoPresenter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>


namespace vistrel {

namespace {

// An application-wide event filter: it sees a key before the widget it is sent to.
class KeyPreview : public QObject {
public:
    explicit KeyPreview(std::function<bool(QObject*, QEvent*)> filter) : filter_(std::move(filter))
    {
        qApp->installEventFilter(this);
    }
    ~KeyPreview() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return filter_(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> filter_;
};

int ModifierMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? kModShift : 0) | (modifiers & Qt::ControlModifier ? kModCtrl : 0) |
           (modifiers & Qt::AltModifier ? kModAlt : 0);
}

bool IsTextEditor(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}


}  // namespace

void MainWindow::InstallKeyPreview()
{
    Keys.Goto = [this](int entry) { GoToListEntry(entry); };
    Keys.OpenWith = [this](int entry) { OpenWithEntry(entry); };
    Keys.CopyToClipboard = [this] { CopyFilesToClipboard(); };
    Keys.PasteFromClipboard = [this] { PasteFilesFromClipboard(); };
    keyPreview_ = std::make_unique<KeyPreview>([this](QObject* watched, QEvent* event) { return PreviewKey(watched, event); });
}

// A key goes first to the focus widget and, when that ignores it, on to its parents: it is
// judged once, at the first.
QWidget* MainWindow::KeyReceiver()
{
    QWidget* focus = focusWidget();
    return focus ? focus : this;
}

bool MainWindow::PreviewKey(QObject* watched, QEvent* event)
{
    const bool down = event->type() == QEvent::KeyPress;
    if ((!down && event->type() != QEvent::KeyRelease) || watched != KeyReceiver())
        return false;
    return HandleKey(static_cast<QKeyEvent*>(event));
}

bool MainWindow::HandleKey(QKeyEvent* key)
{
    const bool down = key->type() == QEvent::KeyPress;
    // X repeats a held key as release and press pairs: only the last release is one.
    if (!down && key->isAutoRepeat())
        return false;
    if (key->key() == Qt::Key_Escape)
        return down && !key->isAutoRepeat() && FocusedControl() != KeyFocus::TextEditor && video_->EscPressed();
    const int code = KeyCodeOfQtKey(key->key(), key->modifiers() & Qt::KeypadModifier, key->nativeScanCode());
    const KeyContext context = CurrentKeyContext();
    const int modifiers = ModifierMask(key->modifiers());
    const KeyCommand command = down ? KeyDownCommand(code, modifiers, context) : KeyUpCommand(code, modifiers, context);
    RunKeyCommand(command);
    return command.swallow;
}

KeyContext MainWindow::CurrentKeyContext() const
{
    KeyContext c;
    c.playState = title_.playState;
    c.msSinceTitleStart = TitleClock() - titlePlay_->PlayStartTick;
    c.titleLengthMs = title_.CurrentTitleLengthMS;
    c.focus = FocusedControl();
    c.videoWindow = title_.videoWindow != 0;
    c.useMenuHotkeys = settings_.UseMenuHotkeys;
    c.gotoEntries = static_cast<int>(settings_.GoTo.size());
    for (const OpenWithItem& item : settings_.OpenWith)
        c.openWithHotkeys.push_back(item.Hotkey);
    return c;
}

KeyFocus MainWindow::FocusedControl() const
{
    const QWidget* focus = focusWidget();
    if (focus == controls_.fileList)
        return KeyFocus::FileList;
    if (focus == controls_.folderList)
        return KeyFocus::FolderList;
    if (focus && (focus == controls_.driveBox || controls_.driveBox->isAncestorOf(focus)))
        return KeyFocus::DriveBox;
    return IsTextEditor(focus) ? KeyFocus::TextEditor : KeyFocus::Other;
}

void MainWindow::RunKeyCommand(const KeyCommand& command)
{
    const int arg = command.argument;
    switch (command.id) {
    case KeyCommandId::None: break;
    case KeyCommandId::SelectAllFiles: browser_->ToggleSelectAllFiles(); break;
    case KeyCommandId::FileMenuAtCurrentItem: ShowFileMenuAtCurrentItem(); break;
    case KeyCommandId::OpenWith: CallIfSet(Keys.OpenWith, arg); break;
    case KeyCommandId::KeyboardReference: MsgBox(KeyboardReferenceText(), kMsgInformation, kAppTitle); break;
    case KeyCommandId::PlayControl: titlePlay_->PlayControlClicked(arg); break;
    case KeyCommandId::Seek: rail_->SeekRelative(arg); break;
    case KeyCommandId::Skip: titlePlay_->SkipClicked(arg); break;
    case KeyCommandId::DeleteFiles: CallIfSet(Keys.Delete, arg != 0); break;
    case KeyCommandId::Overscan: CallIfSet(Keys.ChangeOverscan, arg); break;
    case KeyCommandId::Goto: CallIfSet(Keys.Goto, arg); break;
    case KeyCommandId::CopyFilesToClipboard: CallIfSet(Keys.CopyToClipboard); break;
    case KeyCommandId::PasteFiles: CallIfSet(Keys.PasteFromClipboard); break;
    case KeyCommandId::CopyTo: CallIfSet(Keys.CopyTo, arg); break;
    case KeyCommandId::MoveTo: CallIfSet(Keys.MoveTo, arg); break;
    case KeyCommandId::Rename: CallIfSet(Keys.Rename); break;
    case KeyCommandId::Refresh: browser_->RefreshDirAndFileList(); break;
    }
}

// The keyboard's way to the file menu: at the current item, which keeps its selection.
void MainWindow::ShowFileMenuAtCurrentItem()
{
    const int row = browser_->CurrentRow();
    if (row < 0)
        return;
    QListView* files = controls_.fileList;
    const QRect item = files->visualRect(files->model()->index(row, 0));
    menus_->fileMenu->popup(files->viewport()->mapToGlobal(item.center()));
}

}  // namespace vistrel
