// The position rail: clicks and drags become seeks and the elapsed time, the seek buttons
// step through the title, and the 64-bit millisecond clock that spaces the seeks.
#include "support/TestSupport.h"
#include "app/MainTimers.h"
#include "controls/PositionRail.h"
#include "controls/PositionRailWidget.h"
#include "controls/RailControl.h"
#include "support/TickCount.h"
#include "support/TitleState.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

using namespace vistrel;

namespace {

// Rail 211 px wide with an 11 px knob (96 dpi): the knob's left edge travels 0..200.
constexpr int kRailWidth = 211;
const QColor kLight(0, 255, 0);

// The main window around the rail: a 90 s title playing, a fake player that records seeks,
// and a fake 32-bit tick source that seeks and sleeps advance.
struct Harness {
    MainTimers timers;
    TitleState title;
    PositionRailWidget row{96};
    uint32_t tick32 = 5000;
    TickClock clock{[this] { return tick32; }};
    int32_t position = 0;
    uint32_t seekTakesMs = 0;
    std::vector<int32_t> seeks;
    std::vector<Qt::CursorShape> cursorDuringSeek;
    std::vector<bool> pollEnabled;  // every EnablePositionPoll, in order
    std::vector<int64_t> sleeps;
    std::string fullscreenText;
    std::function<void()> duringReopen = [] {};
    int reopens = 0, resumes = 0, pauses = 0, polls = 0;
    std::unique_ptr<PositionRail> rail;

    Harness()
    {
        QPalette palette = row.railPicture->palette();
        palette.setColor(QPalette::Light, kLight);
        row.railPicture->setPalette(palette);
        row.railPicture->setFixedWidth(kRailWidth);
        title.playState = MMSTATE_PLAY;
        title.CurrentTitleLengthMS = 90000;
        RailHost host;
        host.MPlayGetPosition = [this] { return position; };
        host.MPlaySeek = [this](int32_t target, bool) {
            const QCursor* cursor = QApplication::overrideCursor();
            cursorDuringSeek.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
            seeks.push_back(position = target);
            tick32 += seekTakesMs;
        };
        host.MPlayResume = [this] { ++resumes; };
        host.MPlayPause = [this] { ++pauses; };
        host.EnablePositionPoll = [this](bool enable, const std::string&) {
            pollEnabled.push_back(enable);
            enable ? timers.positionTimer->start() : timers.positionTimer->stop();
        };
        host.PollPosition = [this] { ++polls; };
        host.PlaySelectedTitle = [this](bool, const std::string&) {
            ++reopens;
            title.playState = MMSTATE_PLAY;
            duringReopen();
        };
        host.SetFullscreenElapsedText = [this](const std::string& text) { fullscreenText = text; };
        rail = std::make_unique<PositionRail>(row, timers.ForRail(), title, std::move(host));
        rail->TickCountMs = [this] { return clock.TickCountMs(); };
        rail->SleepMs = [this](int64_t ms) { sleeps.push_back(ms), tick32 += static_cast<uint32_t>(ms); };
    }

    QString Elapsed() const { return row.elapsedLabel->text(); }
    void SetVideo(WindowHandle window) { title.videoWindow = title.innerVideoWindow = window; }
};

int XFor(double fraction)
{
    return 6 + static_cast<int>(200 * fraction);  // the knob's centre
}

}  // namespace

class TestPositionRail : public QObject {
    Q_OBJECT

private slots:
    void tickCountCarriesOverThe32BitWrap()
    {
        uint32_t source = 0xFFFFFFF0u;
        TickClock clock([&] { return source; });
        QCOMPARE(clock.TickCountMs(), int64_t{0xFFFFFFF0u});
        source = 0x10;
        QCOMPARE(clock.TickCountMs(), (int64_t{1} << 32) + 0x10);
        source = 0x20;
        QCOMPARE(clock.TickCountMs(), (int64_t{1} << 32) + 0x20);
    }

    void elapsedText_data()
    {
        QTest::addColumn<int>("lengthMs");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("railValue");
        QTest::newRow("middle of 90 s") << 90000 << 0.5f << "0:45" << 0.5f;
        QTest::newRow("beyond the end") << 90000 << 1.7f << "1:30" << 1.0f;
        QTest::newRow("before the start") << 90000 << -0.3f << "0:00" << 0.0f;
        QTest::newRow("over two hours") << 7507000 << 1.0f << "125:07" << 1.0f;
        QTest::newRow("seconds not rounded up") << 754999 << 1.0f << "12:34" << 1.0f;
        QTest::newRow("under ten seconds") << 5000 << 1.0f << "0:05" << 1.0f;
        QTest::newRow("no length") << 0 << 0.6f << "0:00" << 0.6f;
        QTest::newRow("negative length") << -1000 << 1.0f << "0:00" << 1.0f;
    }

    void elapsedText()
    {
        QFETCH(int, lengthMs);
        QFETCH(float, value);
        QFETCH(QString, text);
        QFETCH(float, railValue);
        Harness h;
        h.row.elapsedLabel->setText("9:99");
        h.title.CurrentTitleLengthMS = lengthMs;
        h.rail->SetRailValue(value);
        QCOMPARE(h.Elapsed(), text);
        QCOMPARE(h.fullscreenText, text.toStdString());
        QCOMPARE(h.rail->RailValue(), railValue);
    }

    void clickSeeksToThePointer_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("knobLeft");
        QTest::newRow("left end") << 0 << 0 << "0:00" << 0;
        QTest::newRow("within half a knob") << 5 << 0 << "0:00" << 0;
        QTest::newRow("quarter") << XFor(0.25) << 22500 << "0:22" << 50;
        QTest::newRow("right end") << XFor(1.0) << 90000 << "1:30" << 200;
        QTest::newRow("beyond the right end") << kRailWidth + 50 << 90000 << "1:30" << 200;
    }

    void clickSeeksToThePointer()
    {
        QFETCH(int, x);
        QFETCH(int, target);
        QFETCH(QString, text);
        QFETCH(int, knobLeft);
        Harness h;
        h.row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.row));
        QTest::mouseClick(h.row.railPicture, Qt::LeftButton, {}, QPoint(x, 8));
        QTRY_COMPARE(h.seeks, std::vector<int32_t>{target});
        QCOMPARE(h.Elapsed(), text);
        const QImage image = h.row.railPicture->grab().toImage();
        int highlight = 0;
        while (highlight < image.width() && image.pixelColor(highlight, 10) != kLight)
            ++highlight;
        QCOMPARE(highlight, knobLeft);  // the knob's highlight column
    }

    void closedTitleIsReopenedBeforeTheSeek()
    {
        Harness h;
        h.title.playState = MMSTATE_CLOSED;
        h.rail->Control().SetPosition(0.5f);
        h.rail->RailPosChanged();
        QCOMPARE(h.reopens, 1);
        QCOMPARE(h.seeks, std::vector<int32_t>{45000});
        // A press on a closed title reopens it paused; rail events while it reopens are ignored.
        h.title.playState = MMSTATE_CLOSED;
        h.duringReopen = [&] {
            h.rail->RailPosChanged();
            h.rail->AnyRailMouseMove(0, kLeftButton, XFor(0.9));
        };
        h.rail->RailMouseDown(kLeftButton, XFor(0.25));
        QCOMPARE(h.reopens, 2);
        QCOMPARE(h.pauses, 1);
        QCOMPARE(h.seeks.size(), size_t{1});
        QTRY_COMPARE(h.seeks, (std::vector<int32_t>{45000, 22500}));
    }

    // The first seek of a title is timed: after a slow one the cursor shows a busy pointer,
    // and drags seek only when they rest (always so for video).
    void dragSeeksByTheFirstSeeksDuration_data()
    {
        QTest::addColumn<uint>("firstSeekMs");
        QTest::addColumn<bool>("video");
        QTest::addColumn<bool>("deferred");
        QTest::newRow("sound, 20 ms") << 20u << false << false;
        QTest::newRow("sound, 99 ms") << 99u << false << false;
        QTest::newRow("sound, 100 ms") << 100u << false << true;
        QTest::newRow("sound, 300 ms") << 300u << false << true;
        QTest::newRow("sound, 301 ms") << 301u << false << true;
        QTest::newRow("video, 20 ms") << 20u << true << true;
    }

    void dragSeeksByTheFirstSeeksDuration()
    {
        QFETCH(uint, firstSeekMs);
        QFETCH(bool, video);
        QFETCH(bool, deferred);
        Harness h;
        h.seekTakesMs = firstSeekMs;
        h.SetVideo(video ? 42 : 0);
        h.rail->RailPosChanged();
        h.rail->RailPosChanged();
        QCOMPARE(h.cursorDuringSeek.back(), firstSeekMs > 300 ? Qt::BusyCursor : Qt::ArrowCursor);
        QCOMPARE(h.cursorDuringSeek.front(), Qt::ArrowCursor);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        h.rail->AnyRailMouseMove(0, 0, XFor(0.25));  // no button: nothing moves
        QCOMPARE(h.rail->RailValue(), 0.0f);
        h.rail->AnyRailMouseMove(0, kLeftButton, XFor(0.75));
        QCOMPARE(h.Elapsed(), QString("1:07"));  // the label follows at once
        QCOMPARE(h.seeks.size(), deferred ? 2u : 3u);
        QTRY_COMPARE(h.seeks.back(), 67500);
    }

    void positionPollAroundSeeksAndReleases()
    {
        Harness h;
        h.rail->RailPosChanged();  // the poll is not running: it stays off
        QVERIFY(h.pollEnabled.empty());
        h.timers.positionTimer->start();
        h.rail->RailPosChanged();
        QCOMPARE(h.pollEnabled, (std::vector<bool>{false, true}));
        h.SetVideo(9);
        h.rail->RailMouseUp(kLeftButton, 10);  // playing video: resume and read the position
        QCOMPARE(h.resumes, 1);
        QCOMPARE(h.polls, 1);
        QCOMPARE(h.pollEnabled.back(), true);
        h.title.playState = MMSTATE_PAUSE;
        h.rail->RailMouseUp(kLeftButton, 10);
        QCOMPARE(h.pollEnabled.back(), false);
        QCOMPARE(h.resumes, 1);
    }

    void seekButtonsStepTenSecondsAndRepeat()
    {
        Harness h;
        h.position = 30000;
        h.row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.row));
        SeekButton* forward = h.row.seekButtons[1];
        QTest::mousePress(forward, Qt::RightButton);
        QCOMPARE(h.seeks, std::vector<int32_t>{40000});
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 50);  // twice as often as the left button
        QVERIFY(forward->Pressed());
        QTest::mouseRelease(forward, Qt::RightButton);
        QVERIFY(!forward->Pressed());
        QVERIFY(!h.timers.seekRepeatTimer->isActive());
        QCOMPARE(h.resumes, 1);
        h.title.playState = MMSTATE_PAUSE;
        QTest::mousePress(h.row.seekButtons[0], Qt::LeftButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 100);
        QTRY_VERIFY(h.seeks.size() >= 3);  // repeats while held
        QTest::mouseRelease(h.row.seekButtons[0], Qt::LeftButton);
        QCOMPARE(h.seeks[1], 30000);
        QCOMPARE(h.resumes, 1);  // paused stays paused
    }

    void forwardStepsHalveBeforeTheEnd()
    {
        Harness h;
        h.title.CurrentTitleLengthMS = 100000;
        h.position = 82500;
        h.rail->SeekButtonDown(1, kLeftButton);
        for (int i = 0; i < 3; ++i)
            h.rail->OnSeekRepeatTimer();
        QCOMPARE(h.seeks, (std::vector<int32_t>{92500, 97500, 100000, 100000}));
        h.position = 85000;  // the knob and label show the position read before the seek
        h.title.CurrentTitleLengthMS = 90000;
        h.rail->SeekRelative(10000);
        QCOMPARE(h.seeks.back(), 90000);
        QCOMPARE(h.Elapsed(), QString("1:25"));
        h.position = 3000;  // backward steps are not halved
        h.rail->SeekRelative(-10000);
        QCOMPARE(h.seeks.back(), -7000);
    }

    void relativeSeeksAreSpacedBy100ms()
    {
        Harness h;
        h.rail->SeekRelative(1000);
        QVERIFY(h.sleeps.empty());
        h.tick32 += 30;
        h.rail->SeekRelative(1000);
        QCOMPARE(h.sleeps, std::vector<int64_t>{70});
        h.tick32 += 150;
        h.rail->SeekRelative(1000);
        QCOMPARE(h.sleeps.size(), size_t{1});
        QCOMPARE(h.seeks, (std::vector<int32_t>{1000, 2000, 3000}));
    }
};

QTEST_MAIN(TestPositionRail)
#include "tst_position_rail.moc"
