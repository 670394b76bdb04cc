// The main window's keyboard through real key events on the file list (offscreen), with a
// scripted MCI device playing a 60-second title that stands at 20 s.
#include "platform/mci/MciService.h"
#include "playback/TitlePlayControl.h"
#include "support/MainWindowFixture.h"
#include "support/MciRecorder.h"
#include "support/TickCount.h"

#include <QApplication>
#include <QListView>
#include <QtTest>

using namespace vistrel;

class TestMainWindowKeys : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;

private slots:
    // Right seeks; neither it nor a letter moves the list's caret (b.wav would play). Delete
    // acts once the title is a second old. Shift+1 held down as X delivers it ("!" from scan
    // code 10, repeated as release and press pairs) copies once, at the last release. F1
    // shows the keyboard reference.
    void keysReachTheirCommandsNotTheList()
    {
        const QString folder = QString::fromStdString(fixture_.Path("media")) + "/";
        QDir().mkpath(folder);
        for (const char* name : {"a.wav", "b.wav", "c.wav"})
            QFile::copy(QString::fromStdString(test::Fixture("wav_pcm16_stereo.wav")), folder + name);
        test::MciRecorder mci({{"status voice1 length", 0, "60000"}, {"status voice1 Position", 0, "20000"},
                               {"status voice1 mode", 0, "stopped"}, {"status voice1 mode", 0, "stopped"},
                               {"status voice1 mode", 0, "playing"}, {"status voice1 window handle", MCIERR_NO_WINDOW}});
        const auto w = fixture_.Show("UseMCI=1\nPath=" + folder.toStdString() + "\n");
        QListView* files = w->Controls().fileList;
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, test::RowRect(*w, 0).center());
        QCOMPARE(w->Title().playState, MMSTATE_PLAY);
        QStringList actions;
        w->Keys.Delete = [&actions](bool noAsk) { actions << QString("Delete %1").arg(noAsk); };
        w->Keys.CopyTo = [&actions](int entry) { actions << QString("CopyTo %1").arg(entry); };
        QTest::keyClick(files, Qt::Key_Right);
        QTest::keyClick(files, Qt::Key_B);
        QCOMPARE(mci.Count("seek voice1 to 21000"), 1);
        QCOMPARE(w->Browser().CurrentRow(), 0);
        QCOMPARE(w->Title().CurrentTitle, fixture_.Path("media/a.wav"));
        w->TitlePlay().PlayStartTick = TickCountMs();
        QTest::keyClick(files, Qt::Key_Delete);
        w->TitlePlay().PlayStartTick -= 1000;
        QTest::keyClick(files, Qt::Key_Delete);
        QTest::keyClick(files, Qt::Key_Delete, Qt::ShiftModifier);
        for (const auto& [type, repeat] : {std::pair{QEvent::KeyPress, false}, {QEvent::KeyRelease, true},
                                           {QEvent::KeyPress, true}, {QEvent::KeyRelease, false}}) {
            QKeyEvent key(type, Qt::Key_Exclam, Qt::ShiftModifier, 10, '!', 1, "!", repeat);
            QApplication::sendEvent(files, &key);
        }
        QCOMPARE(actions, QStringList({"Delete 0", "Delete 1", "CopyTo 1"}));
        test::MsgBoxRecorder boxes;
        QTest::keyClick(files, Qt::Key_F1);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].flags, int(kMsgInformation));
        QCOMPARE(boxes.Messages()[0].text, std::string("Keyboard reference:\n\n"
                                                       "Ctrl+Left/Rigth or S/D\tSeek 10 s\n"
                                                       "Alt+Left/Rigth or A/F  \tSeek 1 min\n"
                                                       "Up/Down or E/C         \tPlay prev/next file\n"
                                                       "Del                              \tdelete file (finally, after asking)\n"
                                                       "Shift+Del or R            \tdelete file (finally, no asking)\n"
                                                       "ESC                             \tfullscreen / side-by-side\n"));
    }
};

QTEST_MAIN(TestMainWindowKeys)
#include "tst_main_window_keys.moc"
