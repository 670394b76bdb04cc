// The player front against the scripted MCI service: seeks, frame rates, video windows, the interface switch.
#include "playback/PlayerFront.h"
#include "support/MciRecorder.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace vistrel;
using Lines = std::vector<std::string>;

namespace {
// A front on the MCI back end; its hooks write into `events`, the captions into the transcript.
struct Front {
    test::MciRecorder rec;
    TitleState title;
    PlayerFront front{title};
    Lines events;

    Front()
    {
        PlayerFrontHooks& h = front.Hooks;
        h.EnablePositionPoll = [this] { events.push_back("poll"); };
        h.UnloadSeekPreviewIfLoaded = [this] { events.push_back("seek preview"); };
        h.HideFullscreenRailIfVisible = [this] { events.push_back("rail"); };
        h.WipeNewestTempCopy = [this] { events.push_back("temp copy"); };
        h.SetMediaInterfaceCaption = [this](const std::string& c) { rec.transcript.push_back("caption " + c); };
    }
};
}  // namespace

class TestPlayerFront : public QObject {
    Q_OBJECT

private slots:
    void aRepeatedSeekTargetPassesOnceAcrossTitles()
    {
        Front f;
        f.title.playState = MMSTATE_PLAY;  // the poll follows an open title only
        for (int32_t target : {0, 0, -1, -1, 3000, 3000})
            f.front.MPlaySeek(target, false);
        f.front.MPlayClose(false);
        f.front.MPlayOpen("/m/b.mp3", 1, 1000, false, false);
        f.front.MPlaySeek(3000, false);
        QCOMPARE(f.rec.Count("seek voice1 to 0") + f.rec.Count("seek voice1 to -1"), 4);
        QCOMPARE(f.rec.Count("seek voice1 to 3000"), 1);
        QCOMPARE(f.events, (Lines{"poll", "poll", "poll", "poll", "poll", "poll", "seek preview", "rail", "temp copy",
                                  "poll"}));
        f.front.MPlaySeek(4000, true);  // a frame seek while not playing reaches the voice with its flag
        QCOMPARE(f.rec.Count("play voice1 from 0 to 4000"), 1);
    }

    // Frame rates have three decimals (the reply counts frames per 1000 s). The window query
    // answers 4242 unless it fails; the inner window is its first child, if it has one.
    void mciFrameRateAndVideoWindows_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("child");      // -1: the window query fails (a child 99 would be there)
        QTest::addColumn<QString>("shown");  // the rate, the video and inner windows, the window whose child was asked
        QTest::newRow("rate rounded down") << "12345.4" << -1 << "12.345 0 0 0";
        QTest::newRow("rate, half") << "0.5" << -1 << "0.001 0 0 0";
        QTest::newRow("no window") << "" << -1 << "0 0 0 0";
        QTest::newRow("with a child") << "" << 99 << "0 4242 99 4242";
        QTest::newRow("without a child") << "" << 0 << "0 4242 4242 4242";
    }

    void mciFrameRateAndVideoWindows()
    {
        QFETCH(QString, rate);
        QFETCH(int, child);
        Front f;
        f.rec.Answer({{"status voice1 nominal frame rate", 0, rate.toStdString()},
                      {"status voice1 window handle", child < 0 ? MCIERR_INVALID_DEVICE_NAME : 0, "4242"}});
        WindowHandle video = 9, inner = 9, asked = 0;
        f.front.Hooks.FirstChildWindow = [&](WindowHandle h) { return asked = h, child < 0 ? 99 : child; };
        f.front.MPlayGetVideoWindows(video, inner);
        QTEST(QString("%1 %2 %3 %4").arg(f.front.MPlayGetFrameRate()).arg(video).arg(inner).arg(asked), "shown");
    }

    // The frame size from "where ... source"; the pixel's height/width from the display size.
    void mciVideoSize_data()
    {
        QTest::addColumn<QString>("source");  // the replies; "": the query fails
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("size");  // answered, width, height, pixel shape
        QTest::newRow("square pixels") << "0 0 320 240" << "0 0 320 240" << "true 320 240 0";
        QTest::newRow("narrow pixels") << "0 0 720 480" << "0 0 720 528" << "true 720 480 1.1";
        QTest::newRow("wide pixels") << "0 0 720 576" << "0 0 1024 576" << "true 720 576 0.703125";
        QTest::newRow("display size unknown") << "0 0 64 48" << "" << "true 64 48 0";
        QTest::newRow("no video") << "" << "0 0 64 48" << "false 0 0 0";
    }

    void mciVideoSize()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        Front f;
        for (const auto& [rect, reply] : {std::pair("source", source), std::pair("destination", destination)}) {
            const MciError code = reply.isEmpty() ? MCIERR_NO_WINDOW : 0;
            f.rec.Answer({{std::string("where voice1 ") + rect, code, reply.toStdString()}});
        }
        int32_t width = 9, height = 9;
        double shape = 9;
        const bool answered = f.front.MPlayGetVideoSize(width, height, shape);
        QTEST(QString("%1 %2 %3 %4").arg(answered ? "true" : "false").arg(width).arg(height).arg(shape), "size");
    }

    void switchingTheMediaInterface_data()
    {
        QTest::addColumn<int>("playState");
        QTest::addColumn<Lines>("heard");  // the boxes, the captions, the interface after
        const Lines unavailable{"box: DirectShow is not availlable! Still using MCI", "caption MCI", "MCI"};
        QTest::newRow("nothing open") << MMSTATE_NONE << unavailable;
        QTest::newRow("closed") << MMSTATE_CLOSED << unavailable;
        QTest::newRow("playing") << MMSTATE_PLAY << Lines{"box: Stop before switching the interface!", "MCI"};
    }

    void switchingTheMediaInterface()
    {
        QFETCH(int, playState);
        Front f;
        f.title.playState = playState;
        f.front.MediaInterfaceLabelPressed();
        f.rec.transcript.push_back(f.front.MediaInterface == kMediaInterfaceMCI ? "MCI" : "DirectShow");
        QTEST(f.rec.transcript, "heard");
    }
};

QTEST_GUILESS_MAIN(TestPlayerFront)
#include "tst_player_front.moc"
