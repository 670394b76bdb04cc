// The GStreamer back end on real playbins (mostly fake sinks that do not wait for the clock): the
// per-title volume as playbin has it, stream selection, the play states, failures, missing
// decoders and the two graph slots of overlapped play.
#include "platform/gst/GstGraph.h"
#include "playback/DirectShowPlayer.h"
#include "support/HiddenDecoders.h"
#include "support/MainWindowFixture.h"
#include "support/MsgBox.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QtTest>

using namespace vistrel;

namespace {

constexpr int kWaitMs = 10000;

}  // namespace

class TestDirectShowPlayer : public QObject {
    Q_OBJECT

private:
    std::vector<std::string> boxes_;
    std::vector<int32_t> closeLastTimers_;
    std::unique_ptr<DirectShowPlayer> player_;

    bool Open(const std::string& path, int32_t volume = 1000, bool multiAudio = false)
    {
        return player_->Open(path, 0, volume, multiAudio, false);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(gst_init_check(nullptr, nullptr, nullptr));
        gst::SetFakeSinksForTests(true);
        SetMsgBoxHandler([this](const std::string& text, int, const std::string&) {
            boxes_.push_back(text);
            return int(kAnswerOk);
        });
    }

    void init()
    {
        player_ = std::make_unique<DirectShowPlayer>();
        player_->Hooks.OverlappedPlayTimeMS = [] { return 800; };
        player_->Hooks.StartCloseLastTimer = [this](int32_t ms) { closeLastTimers_.push_back(ms); };
        boxes_.clear();
        closeLastTimers_.clear();
    }

    void cleanup()
    {
        player_.reset();
        QCOMPARE(boxes_, std::vector<std::string>{});
    }

    // The front's volume (0..1000) becomes the level in hundredths of a decibel and
    // playbin's linear volume; MIDI keeps its full volume whatever the title's volume.
    void volumeCurveReachesPlaybin_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("db100");
        QTest::addColumn<double>("linear");
        QTest::newRow("silent") << "a_major_chord.mp3" << 0 << -10000 << 0.0;
        QTest::newRow("half") << "a_major_chord.mp3" << 500 << -1000 << 0.3162;
        QTest::newRow("full") << "a_major_chord.mp3" << 1000 << 0 << 1.0;
        QTest::newRow("midi keeps full") << "twinkle.mid" << 500 << 0 << 1.0;
    }
    void volumeCurveReachesPlaybin()
    {
        QFETCH(QString, file);
        QFETCH(int, volume);
        QFETCH(int, db100);
        QFETCH(double, linear);
        QVERIFY2(Open(test::Demo(file.toStdString()), volume), player_->LastError().c_str());
        QCOMPARE(player_->VolumeDb100(), db100);
        QVERIFY2(std::abs(player_->GraphVolume() - linear) < 0.0005, qPrintable(QString::number(player_->GraphVolume())));
        QCOMPARE(player_->GetVideoWindow(), WindowHandle{0});
        QCOMPARE(player_->GetVideoStreamCount(), 0);
    }

    // Two audio streams are counted when the front asks, the first plays; choosing the
    // second switches while it keeps playing; numbers outside the streams change nothing.
    // Without the front's flag the title counts one stream.
    void audioStreamsAreCountedAndSwitched()
    {
        const std::string file = test::Fixture("avi_mpeg4_two_audio.avi");
        QVERIFY(Open(file, 1000, false));
        QCOMPARE(player_->GetAudioStreamCount(), 1);
        QVERIFY2(Open(file, 1000, true), player_->LastError().c_str());
        QCOMPARE(player_->GetAudioStreamCount(), 2);
        QCOMPARE(player_->CurrentAudioStream(), 0);
        QCOMPARE(player_->Run(), 0);
        for (const int ignored : {0, 3})
            player_->SelectAudioStream(ignored);
        QCOMPARE(player_->CurrentAudioStream(), 0);
        player_->SelectAudioStream(2);
        QCOMPARE(player_->CurrentAudioStream(), 1);
        QCOMPARE(player_->GetState(), 2);
    }

    // Stop stands at 0 with the state "stopped" and plays again from there; Pause is
    // "paused"; a title at its end starts again from 0 when it is played.
    void stopPauseAndPlayAtTheEnd()
    {
        gst::SetFakeSinksForTests(false);  // by the clock: the restart must be seen before a new end
        const bool opened = Open(test::Demo("chime.wav"));
        gst::SetFakeSinksForTests(true);
        QVERIFY(opened);
        const int32_t length = player_->GetLengthMs();
        QVERIFY2(length > 1000, qPrintable(QString::number(length)));
        player_->Seek(700, false);
        QCOMPARE(player_->GetState(), 1);
        QCOMPARE(player_->Stop(), 0);
        QCOMPARE(player_->GetState(), 0);
        QCOMPARE(player_->GetPositionSeconds(), 0.0);
        QCOMPARE(player_->Run(), 0);
        QCOMPARE(player_->GetState(), 2);
        QVERIFY(QTest::qWaitFor([&] { return std::lround(player_->GetPositionSeconds() * 1000) == length; }, kWaitMs));
        // The end of the stream follows the last sample: until it is in, a pause may read the
        // clock a few ms short of 1.5 s, which rounds to another second than the length does.
        QTest::qWait(300);
        player_->Pause();
        QCOMPARE(player_->GetState(), 1);
        QCOMPARE(player_->Run(), 0);
        // Without the restart the position would stay at the end.
        QVERIFY(QTest::qWaitFor([&] { return player_->GetPositionSeconds() * 1000 < length - 100; }, kWaitMs));
    }

    // The position moves at the new pace from the change on, measured against the clock in
    // the same run (a loaded machine slows both windows alike): the window right after the
    // change would see next to nothing if the restarted sound stood still first.
    // MIDI below normal speed: the synthesizer's short buffers must not hold the stretched sound back.
    void speedChangesThePaceAtOnce_data()
    {
        QTest::addColumn<std::string>("file");
        QTest::addColumn<int>("speed");
        QTest::newRow("MP3 at 200 %") << test::Fixture("mp3_6s_8k_mono.mp3") << 2000;
        QTest::newRow("MP3 at 50 %") << test::Fixture("mp3_6s_8k_mono.mp3") << 500;
        QTest::newRow("MIDI at 50 %") << test::Demo("twinkle.mid") << 500;
    }
    void speedChangesThePaceAtOnce()
    {
        QFETCH(std::string, file);
        QFETCH(int, speed);
        gst::SetFakeSinksForTests(false);
        const bool opened = Open(file);
        gst::SetFakeSinksForTests(true);
        QVERIFY(opened);
        QCOMPARE(player_->Run(), 0);
        QVERIFY(QTest::qWaitFor([&] { return player_->GetPositionSeconds() > 0.2; }, kWaitMs));
        const auto pace = [&] {
            QElapsedTimer clock;
            clock.start();
            const double from = player_->GetPositionSeconds();
            QTest::qWait(600);
            return (player_->GetPositionSeconds() - from) * 1000 / double(clock.elapsed());
        };
        const double normal = pace();
        QVERIFY(player_->SetSpeed(speed));
        const double ratio = pace() / normal;
        const double expected = speed / 1000.0;
        QVERIFY2(ratio > expected * 0.7 && ratio < expected * 1.3,
                 qPrintable(QString("%1 at normal speed %2").arg(ratio).arg(normal)));
    }

    // A file playbin cannot take fails with GStreamer's text, and nothing stays open.
    void unplayableFilesFail_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("html page") << QString::fromStdString(test::Fixture("decoy_html_upper_as_song.mp3"));
        QTest::newRow("zip as avi") << QString::fromStdString(test::Fixture("decoy_zip_as_clip.avi"));
        QTest::newRow("missing") << "/nonexistent/folder/#1 100%.mp3";
    }
    void unplayableFilesFail()
    {
        QFETCH(QString, file);
        QVERIFY(!Open(file.toStdString()));
        QVERIFY(!player_->LastError().empty());
        QCOMPARE(player_->GetState(), 0);
        QCOMPARE(player_->GetLengthMs(), 0);
    }

    // A decoder lowered out of reach is named: with the video decoder gone the sound still
    // plays; with the sound decoders gone too the open fails, naming both.
    void missingDecodersAreNamed()
    {
        const std::string file = test::Fixture("asf_mpeg4_mp3.asf");
        const std::string video = "MPEG-4 Video decoder";
        test::HiddenDecoders noVideo{"avdec_mpeg4"};
        QVERIFY2(Open(file), player_->LastError().c_str());
        QCOMPARE(player_->MissingDecoders(), std::vector<std::string>{video});
        QCOMPARE(player_->GetVideoStreamCount(), 0);
        QCOMPARE(player_->GetAudioStreamCount(), 1);
        test::HiddenDecoders noSound{"avdec_mp3", "mpg123audiodec", "avdec_mp3float"};
        QVERIFY(!Open(file));
        QCOMPARE(player_->MissingDecoders(),
                 (std::vector<std::string>{"MPEG-1 Layer 3 (MP3) decoder", video}));
    }

    // Each open starts the close-last timer at the overlap plus 500 ms and keeps the
    // previous title playing in the other slot; CloseLast ends that one only.
    void previousTitleStaysUntilCloseLast()
    {
        QVERIFY(Open(test::Fixture("mp3_6s_8k_mono.mp3")));
        QCOMPARE(player_->Run(), 0);
        QVERIFY(Open(test::Demo("chime.wav")));
        QCOMPARE(closeLastTimers_, (std::vector<int32_t>{1300, 1300}));
        QCOMPARE(player_->GetState(), 1);
        player_->CloseLast();
        QCOMPARE(player_->GetState(), 1);
        player_->Close(false);
        QCOMPARE(player_->GetState(), 0);
    }

    // "DirectShow" read from the INI file stays the choice and is saved again at exit; a
    // press on the label while nothing plays switches to MCI, saved as well.
    void chosenBackEndSurvivesARestart_data()
    {
        QTest::addColumn<bool>("pressLabel");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("saved");
        QTest::newRow("kept") << false << "DirectShow" << "UseMCI=0";
        QTest::newRow("switched") << true << "MCI" << "UseMCI=1";
    }
    void chosenBackEndSurvivesARestart()
    {
        QFETCH(bool, pressLabel);
        QFETCH(QString, shown);
        QFETCH(QString, saved);
        test::MainWindowFixture fixture;
        std::unique_ptr<MainWindow> window = fixture.Load("UseMCI=0\n");
        QLabel* label = window->Controls().mediaInterfaceLabel;
        QCOMPARE(label->text(), QString("DirectShow"));
        QCOMPARE(window->Front().MediaInterface, kMediaInterfaceDirectShow);
        if (pressLabel)
            QTest::mousePress(label, Qt::LeftButton);
        QCOMPARE(label->text(), shown);
        window->close();
        QVERIFY(QString::fromStdString(test::ReadText(fixture.Path("Vistrel.ini"))).split('\n').contains(saved));
    }
};

QTEST_MAIN(TestDirectShowPlayer)
#include "tst_directshow_player.moc"
