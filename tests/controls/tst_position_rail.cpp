// The position rail: clicks and drags become seeks and the elapsed time, the seek buttons
// step through the title, and the 64-bit millisecond clock that spaces the seeks.
#include "app/MainTimers.h"
#include "controls/FullscreenRailWidget.h"
#include "controls/PositionRail.h"
#include "controls/PositionRailWidget.h"
#include "controls/RailControl.h"
#include "support/TickCount.h"
#include "support/TitleState.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <utility>

using namespace vistrel;

namespace {

// Rail 211 px wide with an 11 px knob (96 dpi): the knob's left edge travels 0..200.
constexpr int kRailWidth = 211;
const QColor kLight(0, 255, 0);

int XFor(double fraction) { return 6 + static_cast<int>(200 * fraction); }  // the knob's centre

// The left column of the knob's highlight on a rail as painted.
int KnobColumn(QWidget* rail)
{
    const QImage image = rail->grab().toImage();
    int knob = 0;
    while (knob < image.width() && image.pixelColor(knob, 10) != kLight)
        ++knob;
    return knob;
}

// The main window around the rails (the row's and the fullscreen strip's): a 90 s title playing,
// a fake player, and a fake 32-bit tick source that seeks and sleeps advance. `calls` records
// what the rail asked of them.
struct Harness {
    MainTimers timers;
    TitleState title;
    PositionRailWidget row{96};
    FullscreenRailWidget strip{96};
    uint32_t tick32 = 5000, seekTakesMs = 0;
    TickClock clock{[this] { return tick32; }};
    int32_t position = 0;
    QStringList calls;
    std::function<void()> duringReopen = [] {};
    bool previewShowsVideo = false;
    std::unique_ptr<PositionRail> rail;

    Harness()
    {
        for (QWidget* picture : {static_cast<QWidget*>(row.railPicture), static_cast<QWidget*>(strip.railPicture)}) {
            QPalette palette = picture->palette();
            palette.setColor(QPalette::Light, kLight);
            picture->setPalette(palette);
            picture->setFixedWidth(kRailWidth);
        }
        title.playState = MMSTATE_PLAY, title.CurrentTitleLengthMS = 90000;
        RailHost host;
        host.MPlayGetPosition = [this] { return position; };
        host.MPlaySeek = [this](int32_t target, bool) {  // "busy": under the busy pointer
            const QCursor* cursor = QApplication::overrideCursor();
            const bool busy = cursor && cursor->shape() == Qt::BusyCursor;
            calls << QString("seek %1").arg(position = target) + (busy ? " busy" : "");
            tick32 += seekTakesMs;
        };
        host.MPlayResume = [this] { calls << "resume"; };
        host.MPlayPause = [this] { calls << "pause"; };
        host.EnablePositionPoll = [this](bool enable, const std::string&) {
            calls << (enable ? "poll on" : "poll off");
            enable ? timers.positionTimer->start() : timers.positionTimer->stop();
        };
        host.PollPosition = [this] { calls << "poll now"; };
        host.SeekPreviewHaveVid = [this] { return previewShowsVideo; };
        host.MoveSeekPreview = [this](int, int) { calls << "preview moved"; };
        host.PlaySelectedTitle = [this](bool, const std::string&) {
            calls << "reopen";
            title.playState = MMSTATE_PLAY;
            duringReopen();
        };
        rail = std::make_unique<PositionRail>(row, timers.ForRail(), title, std::move(host));
        rail->AttachFullscreenRail(strip);
        rail->TickCountMs = [this] { return clock.TickCountMs(); };
        rail->SleepMs = [this](int64_t ms) { calls << QString("sleep %1").arg(ms), tick32 += uint32_t(ms); };
    }

    void Drag(double fraction, int button = kLeftButton) { rail->AnyRailMouseMove(0, button, XFor(fraction)); }
    void Settle() { QTRY_VERIFY(!timers.railMoveTimer->isActive()); }  // the pending seek is made
    void Note()  // the elapsed text (and the full screen's, where it differs) and the knob's value
    {
        const QString text = row.elapsedLabel->text(), full = strip.elapsedLabel->text();
        calls << text + (full == text ? " " : " full screen " + full + " ") + QString::number(rail->RailValue());
    }
};

using Scenario = std::function<void(Harness&)>;

// Counts the events of one type that reach `target`; Take() gives the count and restarts it.
struct EventCounter : QObject {
    EventCounter(QObject* target, QEvent::Type type) : type(type) { target->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override { return count += event->type() == type, false; }
    int Take() { return std::exchange(count, 0); }
    QEvent::Type type;
    int count = 0;
};

}  // namespace

class TestPositionRail : public QObject {
    Q_OBJECT

private slots:
    // Each scenario drives the rail and expects its calls in order; "0:45 0.5" notes the
    // elapsed text and the knob's value at that point, "knob N" the left column of its highlight.
    void scenarios_data()
    {
        QTest::addColumn<Scenario>("scenario");
        QTest::addColumn<QString>("calls");
        const auto row = [](const char* name, const QString& calls, const Scenario& scenario) {
            QTest::newRow(name) << scenario << calls;
        };
        row("the tick count carries over the 32-bit wrap", "4294967280, 4294967312, 4294967328", [](Harness& h) {
            uint32_t source = 0xFFFFFFF0u;
            TickClock clock([&] { return source; });
            for (const uint32_t next : {0x10u, 0x20u, 0u})
                h.calls << QString::number(clock.TickCountMs()), source = next;
        });
        const auto value = [](int ms, float value) {  // the title's length, the knob's value set
            return Scenario([=](Harness& h) {
                h.row.elapsedLabel->setText("9:99");
                h.title.CurrentTitleLengthMS = ms, h.rail->SetRailValue(value), h.Note();
            });
        };
        row("beyond the end", "1:30 1", value(90000, 1.7f));
        row("before the start", "0:00 0", value(90000, -0.3f));
        row("over two hours", "125:07 1", value(7507000, 1.0f));
        row("seconds not rounded up", "12:34 1", value(754999, 1.0f));
        row("negative length", "0:00 1", value(-1000, 1.0f));
        const auto click = [](int x) {
            return Scenario([=](Harness& h) {
                h.row.show();
                QVERIFY(QTest::qWaitForWindowExposed(&h.row));
                QTest::mouseClick(h.row.railPicture, Qt::LeftButton, {}, QPoint(x, 8));
                h.Settle(), h.Note();
                h.calls << QString("knob %1").arg(KnobColumn(h.row.railPicture));
            });
        };
        const QString clicked = "poll off, poll off, poll on, poll off, poll on, ";
        row("click within half a knob of the left end", clicked + "seek 0, 0:00 0, knob 0", click(5));
        row("click at a quarter", clicked + "seek 22500, 0:22 0.25, knob 50", click(XFor(0.25)));
        row("click beyond the right end", clicked + "seek 90000, 1:30 1, knob 200", click(kRailWidth + 50));
        // Over a video title the preview follows each new pointer column; once it was hidden, it
        // follows the first move again, even over the column it was last moved to.
        row("the seek preview follows the pointer, again after it was hidden",
            "preview moved, preview moved, preview moved", [](Harness& h) {
                h.title.videoWindow = 42;
                const auto hover = [&h](bool shown, double fraction) {
                    h.previewShowsVideo = shown, h.rail->AnyRailMouseMove(0, 0, XFor(fraction));
                };
                hover(true, 0.25), hover(true, 0.25), hover(true, 0.5), hover(false, 0.5), hover(true, 0.5);
            });
        row("a closed title is reopened before the seek", "reopen, seek 45000", [](Harness& h) {
            h.title.playState = MMSTATE_CLOSED, h.rail->Control().SetPosition(0.5f), h.rail->RailPosChanged();
        });
        row("a press reopens it paused; the rail's events meanwhile are ignored",
            "poll off, reopen, poll off, pause, poll off, poll on, poll off, poll on, seek 22500", [](Harness& h) {
                h.title.playState = MMSTATE_CLOSED;
                h.duringReopen = [&h] { h.rail->RailPosChanged(), h.Drag(0.9); };
                h.rail->RailMouseDown(kLeftButton, XFor(0.25)), h.Settle();
            });
        // The fullscreen rail of a video title: a press seeks once and at once, a drag waits for
        // the pointer to rest as on the main rail; both knobs show the one position.
        row("the fullscreen rail: press, drag, release while paused",
            "poll off, seek 22500, poll on, 0:22 0.25, knobs 50 50, nothing pending, poll off, 1:07 0.75, "
            "seek 67500, poll off, button 2",
            [](Harness& h) {
                h.title.videoWindow = h.title.innerVideoWindow = 42;
                h.row.show(), h.strip.show();
                QVERIFY(QTest::qWaitForWindowExposed(&h.row) && QTest::qWaitForWindowExposed(&h.strip));
                QTest::mousePress(h.strip.railPicture, Qt::LeftButton, {}, QPoint(XFor(0.25), 8));
                h.Note();
                const int knobs[] = {KnobColumn(h.row.railPicture), KnobColumn(h.strip.railPicture)};
                h.calls << QString("knobs %1 %2").arg(knobs[0]).arg(knobs[1])
                        << (h.timers.railMoveTimer->isActive() ? "pending" : "nothing pending");
                h.rail->FullscreenRailMouseMove(kLeftButton, XFor(0.25));  // the press's X: no move
                h.rail->FullscreenRailMouseMove(kLeftButton, XFor(0.75)), h.Note(), h.Settle();
                h.title.playState = MMSTATE_PAUSE;
                QTest::mouseRelease(h.strip.railPicture, Qt::LeftButton, {}, QPoint(XFor(0.75), 8));
                QObject::connect(&h.strip, &FullscreenRailWidget::PlayControlClicked,
                                 [&h](int index) { h.calls << QString("button %1").arg(index); });
                QTest::mouseClick(h.strip.playButtons[2], Qt::LeftButton);
            });
        row("the strip's times follow the row's", "90:00 90:00, 0:45 0.5, 0:00 0:00 0:00", [](Harness& h) {
            h.rail->ShowLength(5400000);
            h.calls << h.row.lengthLabel->text() + " " + h.strip.lengthLabel->text();
            h.rail->SetRailValue(0.5f), h.Note(), h.rail->ResetTimes();
            h.calls << QStringList{h.strip.elapsedLabel->text(), h.row.lengthLabel->text(), h.strip.lengthLabel->text()}
                           .join(" ");
        });
        // The first seek of a title is timed (rows by its time): after a slow one the pointer is busy,
        // and drags seek only when they rest (always so for video). Moves without a button move nothing.
        const auto drag = [](uint32_t firstSeekMs, bool video) {
            return Scenario([=](Harness& h) {
                h.seekTakesMs = firstSeekMs, h.title.videoWindow = h.title.innerVideoWindow = video ? 42 : 0;
                h.rail->RailPosChanged(), h.rail->RailPosChanged();
                h.Drag(0.25, 0), h.Note(), h.Drag(0.75), h.Note(), h.Settle();
            });
        };
        const QString deferred = "seek 0, seek 0, 0:00 0, poll off, 1:07 0.75, seek 67500";
        row("99 ms: drags seek at once", "seek 0, seek 0, 0:00 0, poll off, seek 67500, 1:07 0.75", drag(99, false));
        row("100 ms: drags wait", deferred, drag(100, false));
        row("300 ms", deferred, drag(300, false));
        row("301 ms: busy", "seek 0, seek 0 busy, 0:00 0, poll off, 1:07 0.75, seek 67500 busy", drag(301, false));
        row("video drags wait", deferred, drag(20, true));
        // The poll stays off while it did not run; a release on playing video resumes it.
        row("the poll around seeks and releases",
            "seek 0, poll off, poll on, seek 0, resume, poll now, poll on, poll off", [](Harness& h) {
                h.rail->RailPosChanged(), h.timers.positionTimer->start(), h.rail->RailPosChanged();
                h.title.videoWindow = h.title.innerVideoWindow = 9, h.rail->RailMouseUp(kLeftButton, 10);
                h.title.playState = MMSTATE_PAUSE, h.rail->RailMouseUp(kLeftButton, 10);
            });
        row("forward steps halve before the end",
            "seek 92500, sleep 100, seek 97500, sleep 100, seek 100000, sleep 100, seek 100000", [](Harness& h) {
                h.title.CurrentTitleLengthMS = 100000, h.position = 82500, h.rail->SeekButtonDown(1, kLeftButton);
                h.rail->OnSeekRepeatTimer(), h.rail->OnSeekRepeatTimer(), h.rail->OnSeekRepeatTimer();
            });
        row("the knob shows the position read before the seek", "seek 90000, 1:25 0.944444",
            [](Harness& h) { h.position = 85000, h.rail->SeekRelative(10000), h.Note(); });
        row("backward steps stop at the start", "seek 0",
            [](Harness& h) { h.position = 3000, h.rail->SeekRelative(-10000); });
        // A poll that leaves the knob on its pixel paints nothing; a new second repaints the
        // elapsed time without laying out the window again.
        row("polls repaint only what changed", "paints 0, layouts 0, paints 1, layouts 0", [](Harness& h) {
            h.row.show();
            QVERIFY(QTest::qWaitForWindowExposed(&h.row));
            h.rail->SetRailValue(0.5f), QCoreApplication::processEvents();
            EventCounter paints(h.row.railPicture, QEvent::Paint), layouts(&h.row, QEvent::LayoutRequest);
            for (const float value : {0.501f, 0.52f}) {
                h.rail->SetRailValue(value), QCoreApplication::processEvents();
                h.calls << QString("paints %1").arg(paints.Take()) << QString("layouts %1").arg(layouts.Take());
            }
        });
        row("relative seeks are spaced by 100 ms", "seek 1000, sleep 70, seek 2000, seek 3000", [](Harness& h) {
            h.rail->SeekRelative(1000), h.tick32 += 30, h.rail->SeekRelative(1000);
            h.tick32 += 150, h.rail->SeekRelative(1000);
        });
    }

    void scenarios()
    {
        QFETCH(Scenario, scenario);
        Harness h;
        scenario(h);
        QTEST(h.calls.join(", "), "calls");
        QVERIFY(!QApplication::overrideCursor());  // the busy pointer ends with its seek
    }

    void seekButtonsStepTenSecondsAndRepeat()
    {
        Harness h;
        h.position = 30000;
        h.row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.row));
        SeekButton* forward = h.row.seekButtons[1];
        QTest::mousePress(forward, Qt::RightButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 50);  // twice as often as the left button
        QVERIFY(forward->Pressed());
        QTest::mouseRelease(forward, Qt::RightButton);
        QVERIFY(!forward->Pressed() && !h.timers.seekRepeatTimer->isActive());
        QCOMPARE(h.calls, QStringList({"seek 40000", "resume"}));
        h.title.playState = MMSTATE_PAUSE;
        QTest::mousePress(h.row.seekButtons[0], Qt::LeftButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 100);
        QTRY_VERIFY(h.calls.filter("seek").size() >= 3);  // repeats while held
        QTest::mouseRelease(h.row.seekButtons[0], Qt::LeftButton);
        QCOMPARE(h.calls.filter("seek")[1], QString("seek 30000"));
        QCOMPARE(h.calls.count("resume"), 1);  // paused stays paused
    }
};

QTEST_MAIN(TestPositionRail)
#include "tst_position_rail.moc"
