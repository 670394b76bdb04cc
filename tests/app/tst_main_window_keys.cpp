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
    std::optional<test::MciRecorder> mci_;
    QStringList actions_;

    // A shown window on a folder of a.wav, b.wav and c.wav, playing a.wav; the file
    // actions write to actions_.
    std::unique_ptr<MainWindow> PlayingWindow()
    {
        const QString folder = QString::fromStdString(fixture_.Path("media")) + "/";
        for (const QString& name : {"a.wav", "b.wav", "c.wav"})
            QFile::copy(QString::fromStdString(test::Fixture("wav_pcm16_stereo.wav")), folder + name);
        auto w = fixture_.Show("UseMCI=1\nPath=" + folder.toStdString() + "\n");
        QTest::mouseClick(w->Controls().fileList->viewport(), Qt::LeftButton, {}, test::RowRect(*w, 0).center());
        QTEST_ASSERT(w->Title().playState == MMSTATE_PLAY);
        w->Keys.Delete = [this](bool noAsk) { actions_ << QString("Delete %1").arg(noAsk); };
        w->Keys.CopyTo = [this](int entry) { actions_ << QString("CopyTo %1").arg(entry); };
        return w;
    }

private slots:
    void init()
    {
        QDir().mkpath(QString::fromStdString(fixture_.Path("media")));
        actions_.clear();
        mci_.emplace(std::vector<test::MciAnswer>{{"status voice1 length", 0, "60000"},
            {"status voice1 Position", 0, "20000"}, {"status voice1 mode", 0, "stopped"},
            {"status voice1 mode", 0, "stopped"}, {"status voice1 mode", 0, "playing"},
            {"status voice1 window handle", MCIERR_NO_WINDOW}});
    }
    void cleanup() { mci_.reset(); }

    // Right seeks; neither it nor a letter moves the list's caret (b.wav would play).
    void playerKeysStayOffTheList()
    {
        const auto w = PlayingWindow();
        QTest::keyClick(w->Controls().fileList, Qt::Key_Right);
        QTest::keyClick(w->Controls().fileList, Qt::Key_B);
        QCOMPARE(mci_->Count("seek voice1 to 21000"), 1);
        QCOMPARE(w->Browser().CurrentRow(), 0);
        QCOMPARE(w->Title().CurrentTitle, fixture_.Path("media/a.wav"));
    }

    // Delete acts once the title is a second old. Shift+1 held down as X delivers it ("!"
    // from scan code 10, repeated as release and press pairs) copies once, at the last release.
    void fileKeysReachTheirActions()
    {
        const auto w = PlayingWindow();
        QListView* files = w->Controls().fileList;
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
        QCOMPARE(actions_, QStringList({"Delete 0", "Delete 1", "CopyTo 1"}));
    }

    void f1ShowsTheKeyboardReference()
    {
        const auto w = PlayingWindow();
        test::MsgBoxRecorder boxes;
        QTest::keyClick(w->Controls().fileList, Qt::Key_F1);
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
