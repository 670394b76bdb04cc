// The keyboard's tables: each key, with its modifiers, in a play state, at a time since the
// title started and with the focus somewhere, gives one command, or is swallowed, or passes.
#include "controls/KeyCommands.h"
#include "support/TitleState.h"

#include <QtTest>

using namespace vistrel;
using namespace vistrel::keycode;

Q_DECLARE_METATYPE(vistrel::KeyContext)

// "-": passes to the control; "swallow": nothing runs, the control does not see it.
static QString Text(const KeyCommand& c)
{
    static const char* const names[] = {"-", "SelectAll", "FileMenu", "OpenWith", "Reference", "Play", "Seek",
        "Skip", "Delete", "Overscan", "Goto", "CopyFiles", "Paste", "CopyTo", "MoveTo", "Rename", "Refresh"};
    if (c.id == KeyCommandId::None)
        return c.swallow ? "swallow" : "-";
    return QString("%1 %2%3").arg(names[int(c.id)]).arg(c.argument).arg(c.swallow ? "" : " passes");
}

// A 5-second title; Open-with entry 2 has F3; three Go To entries.
static KeyContext At(int32_t state, int64_t msSinceStart, KeyFocus focus = KeyFocus::FileList)
{
    return {.playState = state, .msSinceTitleStart = msSinceStart, .titleLengthMs = 5000, .focus = focus,
            .gotoEntries = 3, .openWithHotkeys = {0, 3}};
}

class TestKeyCommands : public QObject {
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<bool>("down");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("mods");
        QTest::addColumn<KeyContext>("context");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, bool down, int code, int mods, const KeyContext& c, const char* expected) {
            QTest::newRow(name) << down << code << mods << c << QString(expected);
        };
        const int shift = kModShift, ctrl = kModCtrl, alt = kModAlt;
        const KeyContext play = At(MMSTATE_PLAY, 5000), paused = At(MMSTATE_PAUSE, 5000), closed = At(MMSTATE_CLOSED, 5000);
        const KeyContext fresh = At(MMSTATE_PLAY, 500), settling = At(MMSTATE_PLAY, 999), settled = At(MMSTATE_PLAY, 1000);
        KeyContext video = play, noHotkeys = play, f1Hotkey = play;
        video.videoWindow = true, noHotkeys.useMenuHotkeys = false, f1Hotkey.openWithHotkeys = {1};
        row("media stop", true, kMediaStop, 0, play, "Play 2");
        row("F5 pauses a playing title", true, kF5, 0, play, "Play 1");
        row("play/pause plays when closed", true, kMediaPlayPause, 0, closed, "Play 0");
        row("A", true, 'A', 0, paused, "Seek -60000");
        row("D longer than the title in its first second", true, 'D', 0, fresh, "swallow");
        row("S back at the same moment", true, 'S', 0, fresh, "Seek -10000");
        row("D later", true, 'D', 0, play, "Seek 10000");
        row("seek letter with no title goes to the list", true, 'S', 0, closed, "-");
        row("E within the first second", true, 'E', 0, settling, "swallow");
        row("E after it", true, 'E', 0, settled, "Skip 0");
        row("Delete", true, kDelete, 0, settled, "Delete 0");
        row("Shift+Delete", true, kDelete, shift, settled, "Delete 1");
        row("Left", true, kLeft, 0, play, "Seek -1000");
        row("Shift+Right", true, kRight, shift, paused, "Seek 5000");
        row("Ctrl+Left", true, kLeft, ctrl, play, "Seek -10000");
        row("Alt+Right", true, kRight, alt, play, "Seek 60000");
        row("Ctrl+Alt+Left", true, kLeft, ctrl | alt, play, "Seek -60000");
        row("Shift+Ctrl+Right", true, kRight, shift | ctrl, play, "Seek 40");
        row("Shift+Alt+Right", true, kRight, shift | alt, play, "-");
        row("Right with no title", true, kRight, 0, closed, "-");
        row("Shift+S", true, 'S', shift, play, "-");
        row("F3 with an Open-with hotkey", true, kF1 + 2, 0, play, "OpenWith 2");
        row("F1 without one", true, kF1, 0, At(MMSTATE_PLAY, 5000, KeyFocus::FolderList), "Reference 0");
        row("F1 with one", true, kF1, 0, f1Hotkey, "OpenWith 1");
        row("S in the folder list", true, 'S', 0, At(MMSTATE_PLAY, 5000, KeyFocus::FolderList), "-");
        row("Right in a text editor", true, kRight, 0, At(MMSTATE_PLAY, 5000, KeyFocus::TextEditor), "-");
        row("C on a check box", true, 'C', 0, At(MMSTATE_PLAY, 5000, KeyFocus::Other), "Skip 1");
        row("Ctrl+A", true, 'A', ctrl, play, "SelectAll 0");
        row("Shift+F10", true, kF10, shift, closed, "FileMenu 0");
        row("numeric + over a video", true, kPadPlus, 0, video, "Overscan 1");
        row("up Shift+B", false, 'B', shift, play, "Goto 2");
        row("up Shift+D past the list", false, 'D', shift, play, "-");
        row("up Shift+B without menu hotkeys", false, 'B', shift, noHotkeys, "-");
        row("up Shift+1", false, '1', shift, play, "CopyTo 1");
        row("up Alt+9", false, '9', alt, play, "MoveTo 9");
        row("up Alt+1 without menu hotkeys", false, '1', alt, noHotkeys, "-");
        row("up Ctrl+C", false, 'C', ctrl, noHotkeys, "CopyFiles 0");
        row("up F2", false, kF2, 0, play, "Rename 0");
        row("up F5", false, kF5, 0, play, "Refresh 0");
        row("up Shift+Right", false, kRight, shift, play, "-");
    }
    void commands()
    {
        QFETCH(bool, down);
        QFETCH(int, code);
        QFETCH(int, mods);
        QFETCH(KeyContext, context);
        QTEST(Text(down ? KeyDownCommand(code, mods, context) : KeyUpCommand(code, mods, context)), "expected");
    }

    // The digit row gives its digit whatever the layout made of it (Shift+0 is ")", an
    // unshifted 1 on a layout with shifted digits "&"); the keypad's digits are none.
    void keyCodes()
    {
        QCOMPARE(KeyCodeOfQtKey(Qt::Key_ParenRight, false, 19), int('0'));
        QCOMPARE(KeyCodeOfQtKey(Qt::Key_Ampersand, false, 10), int('1'));
        QCOMPARE(KeyCodeOfQtKey(Qt::Key_1, true, 87), 0);
        QCOMPARE(KeyCodeOfQtKey(Qt::Key_Plus, true, 86), kPadPlus);
        QCOMPARE(KeyCodeOfQtKey(Qt::Key_Plus, false, 21), 0);
    }
};

QTEST_GUILESS_MAIN(TestKeyCommands)
#include "tst_key_commands.moc"
