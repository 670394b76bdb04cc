// Part 3.1 against the real MCI command service (DESIGN.md section 3): the fallback values
// with no device, a failed open with the service's error text, one audio title opened,
// measured, played, paused, sought, stopped and closed, and a show-frame seek in real time.
#include "playback/MciVoice.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QWidget>
#include <QtTest>

#include <cstdlib>

using namespace vistrel;
namespace mci = MciVoice;

class TestRealMci : public QObject {
    Q_OBJECT

private:
    QWidget videoArea_;

    WindowHandle Parent()
    {
        videoArea_.setAttribute(Qt::WA_NativeWindow);
        return WindowHandle(videoArea_.winId());
    }

private slots:
    void init()
    {
        mciSetUntimedEnginesForTests(true);  // faster than real time, no sound device needed
        mci::SetCommandSender({});
        mci::Hooks = {};
        mci::CloseVoice1();
    }

    void cleanupTestCase() { mciCloseAll(); }

    void noDeviceGivesTheFallbackValues()
    {
        QCOMPARE(mci::GetVoice1Position(), -1);
        QVERIFY(mci::MCILastError != 0);
        QVERIFY(!mci::GetMCIErrorText(mci::MCILastError).empty());
        QCOMPARE(mci::GetVoice1Length(), 0);
        QCOMPARE(mci::GetVoice1Mode(), std::string());
        QCOMPARE(mci::GetVoice1Window(), WindowHandle(0));
        QCOMPARE(mci::GetVoice1FrameRate(), 0.0);
    }

    void missingFileShowsTheServicesErrorText()
    {
        test::MsgBoxRecorder boxes;
        QVERIFY(!mci::OpenVoice1("/nonexistent-vistrel/missing.mp3", Parent(), 1000));
        QVERIFY(mci::MCILastError != 0);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, mci::GetMCIErrorText(mci::MCILastError));
        QVERIFY(!boxes.Messages()[0].text.empty());
        QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
    }

    void audioTitleOpensPlaysAndCloses()
    {
        test::MsgBoxRecorder boxes;
        const std::string file = VISTREL_FIXTURES_DIR "/media/mp3_cbr_128k.mp3";
        QVERIFY(mci::OpenVoice1(file, Parent(), 500));
        const int32_t length = mci::GetVoice1Length();
        QVERIFY2(length > 100 && length < 2000, qPrintable(QString::number(length)));
        // The untimed engine may reach the end within C's 10 ms wait; C then restarts it.
        QVERIFY(mci::PlayVoice1());
        QVERIFY(mci::GetVoice1Position() >= 0);
        mci::PauseVoice1();
        QVERIFY(mci::GetVoice1Mode() != "playing");
        QCOMPARE(mci::SeekVoice1(0, false), MciError(0));
        QCOMPARE(mci::StopVoice1(), MciError(0));
        QCOMPARE(mci::CloseVoice1(), MciError(0));
        QCOMPARE(mci::GetVoice1Position(), -1);
        QVERIFY2(boxes.Messages().empty(), boxes.Messages().empty() ? "" : boxes.Messages()[0].text.c_str());
    }

    // D.1 in real time (the untimed engine may run past a "to" position): a paused title
    // sought with the show-frame flag ends at the target without playing on.
    void showFrameSeekEndsAtTheTarget()
    {
        // Without a sound server the real-time engine cannot play (and libmpv's SDL fallback
        // leaks); test.sh starts one and exports PULSE_SERVER.
        QVERIFY2(!qEnvironmentVariableIsEmpty("PULSE_SERVER"), "needs a sound server: run through ./test.sh");
        test::MsgBoxRecorder boxes;
        mciSetUntimedEnginesForTests(false);
        const std::string file = VISTREL_FIXTURES_DIR "/media/mp3_cbr_128k.mp3";
        QVERIFY(mci::OpenVoice1(file, Parent(), 500));
        TitleState title;
        title.CurrentTitleLengthMS = mci::GetVoice1Length();
        mci::Hooks.Title = &title;
        QCOMPARE(mci::SeekVoice1(300, true), MciError(0));
        QVERIFY(mci::GetVoice1Mode() != "playing");
        const int32_t shown = mci::GetVoice1Position();
        QVERIFY2(std::abs(shown - 300) <= 40, qPrintable(QString::number(shown)));
        QVERIFY(boxes.Messages().empty());
        mci::CloseVoice1();
    }
};

QTEST_MAIN(TestRealMci)
#include "tst_part_3_1_real_mci.moc"
