// The MCI voice layer on the real command service: a failed open shows the service's own
// error text, and a paused title sought with the frame flag stops at the target in real time.
#include "playback/MciVoice.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <cstdlib>

using namespace vistrel;
namespace mci = MciVoice;

class TestMciVoiceReal : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase() { mciCloseAll(); }

    void missingFileShowsTheServicesErrorText()
    {
        mciSetUntimedEnginesForTests(true);
        test::MsgBoxRecorder boxes;
        QVERIFY(!mci::OpenVoice1("/nonexistent-vistrel/missing.mp3", 1234, 1000));
        QCOMPARE(mci::MCILastError, MCIERR_FILE_NOT_FOUND);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text + "|" + std::to_string(boxes.Messages()[0].flags),
                 "The file was not found.|" + std::to_string(kMsgExclamation));
    }

    // The untimed engine may run past a "to" position, so this needs real time and sound.
    void pausedFrameSeekStopsAtTheTarget()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("PULSE_SERVER"), "needs a sound server: run through ./test.sh");
        mciSetUntimedEnginesForTests(false);
        test::MsgBoxRecorder boxes;
        QVERIFY(mci::OpenVoice1(test::Fixture("mp3_cbr_128k.mp3"), 1234, 500));
        TitleState title;
        title.CurrentTitleLengthMS = mci::GetVoice1Length();
        mci::Hooks.Title = &title;
        QCOMPARE(mci::SeekVoice1(300, true), MciError(0));
        QVERIFY(mci::GetVoice1Mode() != "playing");
        const int32_t shown = mci::GetVoice1Position();
        QVERIFY2(std::abs(shown - 300) <= 40, qPrintable(QString::number(shown)));
        QCOMPARE(mci::SeekVoice1(200, false, false), MciError(0));  // a paused title stays paused
        QCOMPARE(mci::GetVoice1Mode() + " " + std::to_string(mci::GetVoice1Position()), std::string("stopped 200"));
        QVERIFY(boxes.Messages().empty());
    }
};

QTEST_MAIN(TestMciVoiceReal)
#include "tst_mci_voice_real.moc"
