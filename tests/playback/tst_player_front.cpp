// The player front against the scripted MCI service: a repeated seek target passed once,
// frame rates and video windows, and the media interface switch with its messages.
#include "playback/MciVoice.h"
#include "playback/PlayerFront.h"
#include "support/MciRecorder.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace vistrel;
using Lines = std::vector<std::string>;

namespace {
// A front on the MCI back end; its hooks write into `events`.
struct Front {
    test::MciRecorder rec;
    TitleState title;
    PlayerFront front{title};
    Lines events;
    bool dsAvailable = false;

    Front()
    {
        PlayerFrontHooks& h = front.Hooks;
        h.EnablePositionPoll = [this] { events.push_back("poll"); };
        h.UnloadSeekPreviewIfLoaded = [this] { events.push_back("seek preview"); };
        h.HideFullscreenRailIfVisible = [this] { events.push_back("rail"); };
        h.WipeNewestTempCopy = [this] { events.push_back("temp copy"); };
        h.IsDirectShowAvailable = [this] { return dsAvailable; };
        h.SetMediaInterfaceCaption = [this](const std::string& c) { events.push_back("caption " + c); };
    }
};
}  // namespace

class TestPlayerFront : public QObject {
    Q_OBJECT

private slots:
    void aRepeatedSeekTargetPassesOnceAcrossTitles()
    {
        Front f;
        f.rec.Answer({{"status voice1 mode", 0, "playing"}});
        for (int32_t target : {0, 0, -1, -1, 3000, 3000})
            f.front.MPlaySeek(target, false);
        f.front.MPlayClose(false);
        f.front.MPlayOpen("/m/b.mp3", 1, 1000, false, false);
        f.front.MPlaySeek(3000, false);
        QCOMPARE(f.rec.Count("seek voice1 to 0") + f.rec.Count("seek voice1 to -1"), 4);
        QCOMPARE(f.rec.Count("seek voice1 to 3000"), 1);
        QCOMPARE(f.events, (Lines{"poll", "poll", "poll", "poll", "poll", "poll", "seek preview", "rail", "temp copy",
                                  "poll"}));
        f.rec.Answer({{"status voice1 mode", 0, "paused"}});
        f.title.CurrentTitleLengthMS = 10000;
        MciVoice::Hooks.Title = &f.title;
        f.front.MPlaySeek(4000, true);  // a paused frame seek reaches the voice with its flag
        QCOMPARE(f.rec.Count("play voice1 from 3900 to 4000"), 1);
    }

    void mciFrameRatesHaveThreeDecimals_data()
    {
        QTest::addColumn<QString>("reply");  // frames per 1000 s
        QTest::addColumn<double>("shown");
        QTest::newRow("29.97003") << "29970.03" << 29.97;
        QTest::newRow("12.3456") << "12345.6" << 12.346;
        QTest::newRow("12.3454") << "12345.4" << 12.345;
        QTest::newRow("0.0005") << "0.5" << 0.001;
    }

    void mciFrameRatesHaveThreeDecimals()
    {
        QFETCH(QString, reply);
        Front f;
        f.rec.Answer({{"status voice1 nominal frame rate", 0, reply.toStdString()}});
        QTEST(f.front.MPlayGetFrameRate(), "shown");
    }

    void mciVideoWindows_data()
    {
        QTest::addColumn<int>("handleCode");  // of the window query, which answers 4242
        QTest::addColumn<int>("child");       // the first child window
        QTest::addColumn<QList<int>>("windows");  // video, inner, the window whose child was asked
        QTest::newRow("no device") << 263 << 99 << QList<int>{0, 0, 0};
        QTest::newRow("with a child") << 0 << 99 << QList<int>{4242, 99, 4242};
        QTest::newRow("without a child") << 0 << 0 << QList<int>{4242, 4242, 4242};
    }

    void mciVideoWindows()
    {
        QFETCH(int, handleCode);
        QFETCH(int, child);
        Front f;
        f.rec.Answer({{"status voice1 window handle", MciError(handleCode), "4242"}});
        WindowHandle video = 9, inner = 9, asked = 0;
        f.front.Hooks.FirstChildWindow = [&](WindowHandle h) { return asked = h, WindowHandle(child); };
        f.front.MPlayGetVideoWindows(video, inner);
        QTEST(QList<int>({int(video), int(inner), int(asked)}), "windows");
    }

    void switchingTheMediaInterface_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<int>("playState");
        QTest::addColumn<Lines>("heard");  // the boxes, the captions, the interface after
        const std::string stopFirst = "box: Stop before switching the interface!";
        QTest::newRow("no DirectShow") << false << MMSTATE_NONE
                                       << Lines{"box: DirectShow is not availlable! Still using MCI", "caption MCI", "MCI"};
        QTest::newRow("while playing") << true << MMSTATE_PLAY << Lines{stopFirst, "MCI"};
        QTest::newRow("while paused") << true << MMSTATE_PAUSE << Lines{stopFirst, "MCI"};
    }

    void switchingTheMediaInterface()
    {
        QFETCH(bool, available);
        QFETCH(int, playState);
        Front f;
        f.dsAvailable = available;
        f.title.playState = playState;
        f.front.MediaInterfaceLabelPressed();
        Lines heard = f.rec.transcript;  // the boxes
        heard.insert(heard.end(), f.events.begin(), f.events.end());
        heard.push_back(f.front.MediaInterface == kMediaInterfaceMCI ? "MCI" : "DirectShow");
        QTEST(heard, "heard");
    }
};

QTEST_GUILESS_MAIN(TestPlayerFront)
#include "tst_player_front.moc"
