// Part 6.1: the position rail: RailControl, the main window's rail procedures, the seek
// buttons, SeekRelative and the monotonic clock TickCountMs.
#include "support/TestSupport.h"
#include "app/MainTimers.h"
#include "controls/PositionRail.h"
#include "controls/PositionRailWidget.h"
#include "support/TickCount.h"
#include "controls/RailControl.h"
#include "support/TitleState.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

#include <memory>
#include <utility>
#include <vector>

using namespace vistrel;

namespace {

// Rail 211 px wide with an 11 px knob (96 dpi): travel 200, X = 6 + 200 * fraction.
constexpr int kRailWidth = 211;
constexpr int kKnobWidth = 11;
int XFor(double fraction) { return 6 + static_cast<int>(200 * fraction); }

const QColor kButton(200, 0, 0), kLight(0, 255, 0), kDark(0, 0, 255), kShadow(10, 10, 10), kBase(255, 255, 0);

using Timer1Call = std::pair<bool, std::string>;

// The main window around the rail: fake player front and title play control, recording
// every call; a fake 32-bit tick source that seeks and sleeps advance.
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
    std::vector<Timer1Call> timer1Calls;
    std::vector<Timer1Call> reopenCalls;
    std::vector<int64_t> sleeps;
    std::vector<std::pair<int, int>> previewMoves;
    std::vector<std::string> fullscreenLblAkt;
    bool reopeningSeenDuringReopen = false;
    bool previewHaveVid = false;
    bool directShow = false;
    int resumes = 0, pauses = 0, polls = 0, focus = 0;
    std::unique_ptr<PositionRail> rail;

    Harness()
    {
        QPalette palette = row.railPicture->palette();
        palette.setColor(QPalette::Button, kButton);
        palette.setColor(QPalette::Light, kLight);
        palette.setColor(QPalette::Dark, kDark);
        palette.setColor(QPalette::Shadow, kShadow);
        palette.setColor(QPalette::Base, kBase);
        row.railPicture->setPalette(palette);
        row.railPicture->setFixedWidth(kRailWidth);
        title.playState = MMSTATE_PLAY;
        title.CurrentTitleLengthMS = 90000;
        rail = std::make_unique<PositionRail>(row, timers.ForRail(), title, MakeHost());
        rail->TickCountMs = [this] { return clock.TickCountMs(); };
        rail->SleepMs = [this](int64_t ms) {
            sleeps.push_back(ms);
            tick32 += static_cast<uint32_t>(ms);
        };
    }

    RailHost MakeHost()
    {
        RailHost host;
        host.MPlayGetPosition = [this] { return position; };
        host.MPlaySeek = [this](int32_t target, bool) {
            const QCursor* cursor = QApplication::overrideCursor();
            cursorDuringSeek.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
            seeks.push_back(target);
            position = target;
            tick32 += seekTakesMs;
        };
        host.MPlayResume = [this] { ++resumes; };
        host.MPlayPause = [this] { ++pauses; };
        host.ShowFrameAfterSeek = [] { return false; };
        host.EnablePositionPoll = [this](bool enable, const std::string& caller) {
            timer1Calls.emplace_back(enable, caller);
            timers.positionTimer->stop();
            if (enable)
                timers.positionTimer->start();
        };
        host.PollPosition = [this] { ++polls; };
        host.PlaySelectedTitle = [this](bool keepLast, const std::string& caller) {
            reopenCalls.emplace_back(keepLast, caller);
            reopeningSeenDuringReopen = rail->RailReopening;
            title.playState = MMSTATE_PLAY;
        };
        host.FocusFileList = [this] { ++focus; };
        host.SetFullscreenElapsedText = [this](const std::string& text) { fullscreenLblAkt.push_back(text); };
        host.SeekPreviewHaveVid = [this] { return previewHaveVid; };
        host.MoveSeekPreview = [this](int x, int y) { previewMoves.emplace_back(x, y); };
        host.IsDirectShow = [this] { return directShow; };
        return host;
    }

    QString LblAkt() const { return row.elapsedLabel->text(); }
    QImage Grab() const { return row.railPicture->grab().toImage(); }
};

// First x on row y whose pixel has `colour`, -1 when none.
int FindColumn(const QImage& image, int y, const QColor& colour)
{
    for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) == colour)
            return x;
    return -1;
}

}  // namespace

class TestPositionRail : public QObject {
    Q_OBJECT

private slots:
    // ---- TickCountMs ---------------------------------------------------------------
    void tickCount_followsSource()
    {
        uint32_t source = 1234;
        TickClock clock([&] { return source; });
        QCOMPARE(clock.TickCountMs(), int64_t{1234});
        source = 1300;
        QCOMPARE(clock.TickCountMs(), int64_t{1300});
        const int64_t processTick = TickCountMs();
        QVERIFY(TickCountMs() >= processTick);
    }

    void tickCount_wrapOf32BitCounterGoesOn()
    {
        uint32_t source = 0xFFFFFFF0u;
        TickClock clock([&] { return source; });
        const int64_t before = clock.TickCountMs();
        source = 0x10;
        const int64_t after = clock.TickCountMs();
        QCOMPARE(after - before, int64_t{0x20});
        QCOMPARE(after, (int64_t{1} << 32) + 0x10);
        source = 0x20;
        QCOMPARE(clock.TickCountMs(), (int64_t{1} << 32) + 0x20);
    }

    // ---- The row -------------------------------------------------------------------
    void row_controlsNamedAsTheSpec()
    {
        PositionRailWidget row(96);
        for (const char* name : {"seekButtons_0", "railPicture", "railKnob", "seekButtons_1", "elapsedLabel",
                                 "lengthLabel", "lblVistaFlicker"})
            QVERIFY2(row.findChild<QWidget*>(name), name);
        QCOMPARE(row.elapsedLabel->text(), QString("0:00"));
        QCOMPARE(row.lengthLabel->text(), QString("0:00"));
        QCOMPARE(row.seekButtons[0]->toolTip(), QString("Seek Backward"));
        QCOMPARE(row.seekButtons[1]->toolTip(), QString("Seek Forward"));
        QVERIFY(row.railKnob->parentWidget() == row.railPicture);
        row.show();
        QVERIFY(!row.railKnob->isVisible());
        QVERIFY(!row.lblVistaFlicker->isVisible());
        QVERIFY(row.elapsedLabel->isVisible());
    }

    // ---- Pointer X to fraction -----------------------------------------------------
    void pointerToFraction_bothEndsAndMiddle()
    {
        Harness h;
        RailControl& rails = h.rail->Control();
        QCOMPARE(rails.MouseDown(0, 0), 0.0f);
        QCOMPARE(rails.MouseDown(0, 5), 0.0f);  // smaller than half the knob
        QCOMPARE(rails.MouseDown(0, kRailWidth + 50), 1.0f);  // beyond the right end
        QCOMPARE(rails.MouseDown(0, XFor(0.5)), 0.5f);
        QCOMPARE(rails.MouseMovePosition(), 0.5f);
        QCOMPARE(h.rail->RailValue(), 0.5f);
    }

    void mouseMove_onlyLeftButtonMovesTheKnob()
    {
        Harness h;
        RailControl& rails = h.rail->Control();
        rails.SetPosition(0.25f);
        QCOMPARE(rails.MouseMove(0, 0, XFor(0.75)), 0.75f);
        QCOMPARE(rails.Position(), 0.25f);
        QCOMPARE(rails.MouseMove(0, kLeftButton, XFor(0.75)), 0.75f);
        QCOMPARE(rails.Position(), 0.75f);
        QVERIFY(h.timers.railMoveTimer->isActive());
    }

    void setMCISliderValue_clampsAndWritesLabel()
    {
        Harness h;
        h.rail->SetRailValue(1.7f);
        QCOMPARE(h.rail->RailValue(), 1.0f);
        QCOMPARE(h.LblAkt(), QString("1:30"));
        h.rail->SetRailValue(-0.3f);
        QCOMPARE(h.rail->RailValue(), 0.0f);
        QCOMPARE(h.LblAkt(), QString("0:00"));
        QCOMPARE(h.fullscreenLblAkt.back(), std::string("0:00"));
    }

    // ---- Labels --------------------------------------------------------------------
    void label_clickInTheMiddleOf90sShows0_45()
    {
        Harness h;
        h.row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.row));
        QTest::mouseClick(h.row.railPicture, Qt::LeftButton, {}, QPoint(XFor(0.5), 8));
        QTRY_COMPARE(h.LblAkt(), QString("0:45"));
        QCOMPARE(h.seeks, std::vector<int32_t>{45000});
        QVERIFY(!h.rail->RailDragging);
    }

    void label_endOfLongTitleShows125_07()
    {
        Harness h;
        h.title.CurrentTitleLengthMS = (2 * 3600 + 5 * 60 + 7) * 1000;
        h.rail->SetRailValue(1.0f);
        QCOMPARE(h.LblAkt(), QString("125:07"));
        QCOMPARE(FormatRailTime(5000), std::string("0:05"));
        QCOMPARE(FormatRailTime(754999), std::string("12:34"));
        QCOMPARE(FormatRailTime(-1), std::string("0:00"));
    }

    void label_titleWithoutLengthShows0_00()
    {
        Harness h;
        h.row.elapsedLabel->setText("3:00");
        h.title.CurrentTitleLengthMS = 0;
        h.rail->SetRailValue(0.6f);
        QCOMPARE(h.LblAkt(), QString("0:00"));
        h.rail->SeekRelative(10000);
        QVERIFY(h.seeks.empty());
        h.rail->Control().SetPosition(0.6f);
        h.rail->RailPosChanged();
        QCOMPARE(h.seeks, std::vector<int32_t>{0});
    }

    void label_unchangedTextIsNotRewritten()
    {
        Harness h;
        h.rail->SetPosLabelCaption(0.5f, false);  // 45000 ms
        QCOMPARE(h.LblAkt(), QString("0:45"));
        QCOMPARE(h.row.lblVistaFlicker->text(), QString("0:45-"));
        h.row.lblVistaFlicker->setText("untouched");
        for (float rel : {0.501f, 0.505f, 0.51f})  // 45090, 45450, 45900 ms: still 0:45
            h.rail->SetPosLabelCaption(rel, true);
        QCOMPARE(h.row.lblVistaFlicker->text(), QString("untouched"));
        h.rail->SetPosLabelCaption(0.512f, false);  // 46080 ms
        QCOMPARE(h.LblAkt(), QString("0:46"));
        QCOMPARE(h.row.lblVistaFlicker->text(), QString("0:46-"));
    }

    // ---- Drawing -------------------------------------------------------------------
    void drawing_knobAtHalfWayAfterSetMCISliderValue()
    {
        Harness h;
        h.rail->SetRailValue(0.5f);
        const int expected = (kRailWidth - kKnobWidth) / 2;
        QCOMPARE(h.rail->Control().KnobLeft(0), expected);
        const QImage image = h.Grab();
        const int y = image.height() / 2;
        QCOMPARE(FindColumn(image, y, kLight), expected);  // the knob's highlight column
        QCOMPARE(image.pixelColor(expected + 1, 0), kLight);  // highlight along the top
        QCOMPARE(image.pixelColor(expected + 5, y), kButton);
        QCOMPARE(image.pixelColor(expected + kKnobWidth - 2, y), kDark);
        QCOMPARE(image.pixelColor(expected + kKnobWidth - 1, y), kShadow);
        QCOMPARE(image.pixelColor(expected - 10, y), kBase);  // the empty track
        QVERIFY(image.pixelColor(expected - 10, 0) != kBase);  // its sunken edge
    }

    void drawing_knobFollowsPositionAtBothEnds()
    {
        Harness h;
        h.rail->SetRailValue(0.0f);
        QCOMPARE(FindColumn(h.Grab(), 10, kLight), 0);
        h.rail->SetRailValue(1.0f);
        QCOMPARE(FindColumn(h.Grab(), 10, kLight), kRailWidth - kKnobWidth);
    }

    void drawing_secondRailDrawnTooWithKnobOneLower()
    {
        Harness h;
        RailPicture rail1;
        rail1.resize(111, 20);
        rail1.setPalette(h.row.railPicture->palette());
        auto* knob1 = new RailKnob(&rail1);
        knob1->resize(11, 18);
        h.rail->Control().Attach(1, &rail1, knob1);
        h.rail->SetRailValue(0.5f);
        QCOMPARE(h.rail->Control().KnobLeft(1), 50);
        const QImage image = rail1.grab().toImage();
        QCOMPARE(image.pixelColor(51, 1), kLight);  // top highlight one pixel down
        QCOMPARE(FindColumn(image, 10, kLight), 50);
    }

    void drawing_fullscreenRailNotDrawnWhileClosing()
    {
        bool closing = false;
        RailControl rails(RailControlHost{{}, {}, {}, [&] { return closing; }});
        RailPicture rail1;
        rail1.resize(111, 20);
        auto* knob1 = new RailKnob(&rail1);
        knob1->resize(11, 18);
        rails.Attach(1, &rail1, knob1);
        rails.SetPosition(0.5f);
        QCOMPARE(rails.KnobLeft(1), 50);
        closing = true;
        rails.SetPosition(1.0f);
        QCOMPARE(rails.KnobLeft(1), 50);
    }

    // ---- RailPosChanged ------------------------------------------------------------
    void mouseUp_seeksToLengthTimesPosition()
    {
        Harness h;
        QCOMPARE(h.rail->Control().MouseUp(0, XFor(0.25)), 0.25f);
        QCOMPARE(h.seeks, std::vector<int32_t>{22500});
        QCOMPARE(h.rail->LastRailPos, 0.25);
        QCOMPARE(h.LblAkt(), QString("0:22"));
    }

    void railPosChanged_restartsRunningPoll()
    {
        Harness h;
        h.timers.positionTimer->start();
        h.rail->RailPosChanged();
        const std::string caller = "RailPosChanged  playState <> MMSTATE_CLOSED";
        QCOMPARE(h.timer1Calls, (std::vector<Timer1Call>{{false, caller}, {true, caller}}));
        h.timer1Calls.clear();
        h.timers.positionTimer->stop();
        h.rail->RailPosChanged();
        QVERIFY(h.timer1Calls.empty());
    }

    void railPosChanged_reopensClosedTitle()
    {
        Harness h;
        h.title.playState = MMSTATE_CLOSED;
        h.rail->Control().SetPosition(0.5f);
        h.rail->RailPosChanged();
        QCOMPARE(h.reopenCalls, (std::vector<Timer1Call>{{false, "RailPosChanged"}}));
        QCOMPARE(h.seeks, std::vector<int32_t>{45000});
        h.rail->RailReopening = true;  // nothing happens while reopening
        h.rail->RailPosChanged();
        QCOMPARE(h.seeks.size(), size_t{1});
    }

    void firstSeekOf350ms_measuredThenHourglassAndDeferral()
    {
        Harness h;
        h.seekTakesMs = 350;
        QCOMPARE(h.rail->LastSeekDurationMS, -1);
        h.rail->RailPosChanged();
        QCOMPARE(h.rail->LastSeekDurationMS, 350);
        QCOMPARE(h.cursorDuringSeek.back(), Qt::ArrowCursor);
        h.rail->RailPosChanged();
        QCOMPARE(h.rail->LastSeekDurationMS, 350);
        QCOMPARE(h.cursorDuringSeek.back(), Qt::BusyCursor);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(h.rail->LastSeekTick, int64_t{5000 + 350});

        // A drag on this audio title is deferred to 120 ms of rest.
        h.seeks.clear();
        h.rail->AnyRailMouseMove(0, kLeftButton, XFor(0.75));
        QVERIFY(h.seeks.empty());
        QVERIFY(h.timers.railMoveTimer->isActive());
        QCOMPARE(h.timers.railMoveTimer->interval(), 120);
        QCOMPARE(h.LblAkt(), QString("1:07"));
        QTRY_COMPARE(h.seeks, std::vector<int32_t>{67500});
        QVERIFY(!h.timers.railMoveTimer->isActive());
    }

    void drag_fastAudioSeeksOnEveryMoveVideoDefers()
    {
        Harness h;
        h.rail->LastSeekDurationMS = 20;
        h.rail->AnyRailMouseMove(0, kLeftButton, XFor(0.5));
        h.rail->AnyRailMouseMove(0, kLeftButton, XFor(0.25));
        QCOMPARE(h.seeks, (std::vector<int32_t>{45000, 22500}));
        QVERIFY(!h.timers.railMoveTimer->isActive());
        h.title.videoWindow = h.title.innerVideoWindow = 42;  // video: deferred even when fast
        h.rail->AnyRailMouseMove(0, kLeftButton, XFor(0.5));
        QCOMPARE(h.seeks.size(), size_t{2});
        QCOMPARE(h.timers.railMoveTimer->interval(), 120);
    }

    void drag_withoutButtonOnlyTracksPointer()
    {
        Harness h;
        h.rail->AnyRailMouseMove(0, 0, XFor(0.5));
        QVERIFY(h.seeks.empty());
        QCOMPARE(h.rail->Control().MouseMovePosition(), 0.5f);
        QCOMPARE(h.rail->RailValue(), 0.0f);
        QCOMPARE(h.rail->LastRailX, XFor(0.5));
    }

    void move_ignoreFlagAndExpectedXSuppressOneMove()
    {
        Harness h;
        h.rail->LastSeekDurationMS = 20;
        h.rail->IgnoreNextRailMove = true;
        h.rail->AnyRailMouseMove(0, kLeftButton, 50);
        QVERIFY(!h.rail->IgnoreNextRailMove);
        QCOMPARE(h.rail->LastRailX, 50);
        QVERIFY(h.seeks.empty());
        h.rail->RailExpectedX = 60;
        h.rail->AnyRailMouseMove(0, kLeftButton, 60);
        QCOMPARE(h.rail->RailExpectedX, -1);
        QCOMPARE(h.rail->LastRailX, 60);
        QCOMPARE(h.LblAkt(), QString("0:00"));
        h.rail->AnyRailMouseMove(0, kLeftButton, 60);
        QCOMPARE(h.seeks.size(), size_t{1});
    }

    void picMCIRail_MouseMove_forwardsOnlyChangedX()
    {
        Harness h;
        h.rail->LastSeekDurationMS = 20;
        h.rail->RailMouseMove(kLeftButton, XFor(0.5));
        h.rail->RailMouseMove(kLeftButton, XFor(0.5));
        QCOMPARE(h.seeks.size(), size_t{1});
    }

    void seekPreview_movedOrScheduled()
    {
        Harness h;
        h.title.videoWindow = 7;
        h.directShow = true;
        h.rail->AnyRailMouseMove(0, 0, 30);
        QVERIFY(h.timers.showSeekPreviewTimer->isActive());
        QVERIFY(h.previewMoves.empty());
        h.previewHaveVid = true;
        h.rail->AnyRailMouseMove(0, 0, 40);
        QVERIFY(!h.timers.showSeekPreviewTimer->isActive());
        QVERIFY(h.timers.updateSeekPreviewTimer->isActive());
        QCOMPARE(h.previewMoves.size(), size_t{1});
        const QPoint railTop = h.row.railPicture->mapToGlobal(QPoint(40, 0));
        QCOMPARE(h.previewMoves[0], std::make_pair(railTop.x(), railTop.y() - 4));
        h.title.videoWindow = 0;
        h.rail->AnyRailMouseMove(0, 0, 50);
        QCOMPARE(h.previewMoves.size(), size_t{1});
    }

    // ---- Main rail press and release -----------------------------------------------
    void mouseDown_timer1CallersAndDrag()
    {
        Harness h;
        h.rail->RailMouseDown(kRightButton, 50);
        QVERIFY(h.timer1Calls.empty());
        h.rail->RailMouseDown(kLeftButton, XFor(0.5));
        QCOMPARE(h.timer1Calls, (std::vector<Timer1Call>{{false, "RailMouseDown"},
                                                         {false, "RailControl.MouseDown"},
                                                         {true, "RailMouseDown"}}));
        QVERIFY(h.rail->RailDragging);
        QCOMPARE(h.focus, 2);
        QVERIFY(h.timers.railMoveTimer->isActive());
        QCOMPARE(h.timers.railMoveTimer->interval(), 10);
        QVERIFY(h.reopenCalls.empty());
        h.timers.railMoveTimer->stop();
        h.rail->OnRailMoveTimer();
        QCOMPARE(h.seeks, std::vector<int32_t>{45000});
    }

    void mouseDown_onClosedTitleReopensAndPauses()
    {
        Harness h;
        h.title.playState = MMSTATE_CLOSED;
        h.rail->RailMouseDown(kLeftButton, XFor(0.5));
        QCOMPARE(h.reopenCalls, (std::vector<Timer1Call>{{false, "RailMouseDown"}}));
        QVERIFY(h.reopeningSeenDuringReopen);
        QVERIFY(!h.rail->RailReopening);
        QCOMPARE(h.pauses, 1);
    }

    void mouseUp_videoResumesAndPollsAudioOnlyEndsDrag()
    {
        Harness h;
        h.title.videoWindow = h.title.innerVideoWindow = 9;
        h.rail->RailDragging = true;
        h.rail->RailMouseUp(kLeftButton, 10);
        QCOMPARE(h.resumes, 1);
        QCOMPARE(h.polls, 1);
        QCOMPARE(h.timer1Calls, (std::vector<Timer1Call>{{true, "RailMouseUp"}}));
        QVERIFY(!h.rail->RailDragging);
        h.timer1Calls.clear();
        h.title.playState = MMSTATE_PAUSE;
        h.rail->RailMouseUp(kLeftButton, 10);
        QCOMPARE(h.timer1Calls, (std::vector<Timer1Call>{{false, "RailMouseUp"}}));
        QCOMPARE(h.resumes, 1);
        h.timer1Calls.clear();
        h.title.videoWindow = h.title.innerVideoWindow = 0;  // audio: only the drag ends
        h.rail->RailDragging = true;
        h.rail->RailMouseUp(kLeftButton, 10);
        QVERIFY(h.timer1Calls.empty());
        QVERIFY(!h.rail->RailDragging);
    }

    // ---- Seek buttons --------------------------------------------------------------
    void seekButton_periodsByMouseButton()
    {
        Harness h;
        h.position = 1000;
        h.rail->SeekButtonDown(1, kLeftButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 100);
        QVERIFY(h.timers.seekRepeatTimer->isActive());
        h.rail->SeekButtonDown(1, kRightButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 50);  // twice as often as the left button
        h.rail->SeekButtonDown(1, kLeftButton | kRightButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 10);
        h.rail->SeekButtonDown(1, kMiddleButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 10);
    }

    void seekButton_realPressesGiveButtonValues()
    {
        Harness h;
        h.row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.row));
        SeekButton* forward = h.row.seekButtons[1];
        QTest::mousePress(forward, Qt::RightButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 50);
        QCOMPARE(h.rail->SeekButtonIndex, int16_t{1});
        QVERIFY(forward->Pressed());
        QTest::mouseRelease(forward, Qt::RightButton);
        QVERIFY(!forward->Pressed());
        QTest::mousePress(forward, Qt::LeftButton);
        QCOMPARE(h.timers.seekRepeatTimer->interval(), 100);
        QTest::mouseRelease(forward, Qt::LeftButton);
        QCOMPARE(h.seeks.size(), size_t{2});
    }

    void seekButton_releaseStopsAndResumes()
    {
        Harness h;
        h.position = 30000;
        h.rail->SeekButtonDown(0, kLeftButton);
        QCOMPARE(h.seeks, std::vector<int32_t>{20000});
        QCOMPARE(h.rail->SeekButtonIndex, int16_t{0});
        h.rail->SeekButtonUp(0, kLeftButton);
        QCOMPARE(h.rail->SeekButtonIndex, int16_t{-1});
        QVERIFY(!h.timers.seekRepeatTimer->isActive());
        QCOMPARE(h.resumes, 1);
        h.title.playState = MMSTATE_PAUSE;
        h.rail->SeekButtonUp(0, kLeftButton);
        QCOMPARE(h.resumes, 1);
        h.rail->OnSeekRepeatTimer();  // no button held: stops
        QVERIFY(!h.timers.seekRepeatTimer->isActive());
    }

    void seekButton_imageGeometryByDpi()
    {
        QCOMPARE(SeekArrowImageSize(96), 9);
        QCOMPARE(SeekArrowImageSize(143), 9);
        QCOMPARE(SeekArrowImageSize(144), 18);
        QCOMPARE(SeekArrowImageSize(287), 18);
        QCOMPARE(SeekArrowImageSize(288), 24);
        QCOMPARE(SeekArrowOffset(96, QSize(20, 20), 9), QPoint(6, 7));
        QCOMPARE(SeekArrowOffset(119, QSize(25, 25), 9), QPoint(6, 7));
        QCOMPARE(SeekArrowOffset(120, QSize(25, 25), 9), QPoint(9, 10));
        QCOMPARE(SeekArrowOffset(143, QSize(30, 30), 9), QPoint(9, 10));
        QCOMPARE(SeekArrowOffset(144, QSize(30, 31), 18), QPoint(6, 6));
        QCOMPARE(SeekArrowOffset(288, QSize(60, 60), 24), QPoint(18, 18));

        PositionRailWidget row(144);
        SeekButton* back = row.seekButtons[0];
        QCOMPARE(back->size(), QSize(30, 30));
        QCOMPARE(back->ImageSize(), 18);
        QCOMPARE(back->ImagePos(), QPoint(6, 6));
        back->DrawPressed();
        QCOMPARE(back->ImagePos(), QPoint(7, 7));
        back->DrawReleased();
        QCOMPARE(back->ImagePos(), QPoint(6, 6));
        QCOMPARE(PositionRailWidget(96).seekButtons[1]->ImagePos(), QPoint(6, 7));
    }

    void seekButton_pressedImageDrawnOnePixelRightAndDown()
    {
        PositionRailWidget row(96);
        SeekButton* forward = row.seekButtons[1];
        QPalette palette = forward->palette();
        palette.setColor(QPalette::ButtonText, QColor(1, 2, 250));
        forward->setPalette(palette);
        const auto arrowBox = [&] {
            const QImage image = forward->grab().toImage();
            QRect box;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y) == QColor(1, 2, 250))
                        box |= QRect(x, y, 1, 1);
            return box;
        };
        const QRect released = arrowBox();
        QVERIFY(!released.isEmpty());
        QVERIFY(QRect(6, 7, 9, 9).contains(released));
        forward->DrawPressed();
        QCOMPARE(arrowBox(), released.translated(1, 1));
    }

    // ---- SeekRelative --------------------------------------------------------------
    void seekRelative_halvesStepBeforeTheEnd()
    {
        Harness h;
        h.title.CurrentTitleLengthMS = 100000;
        h.position = 100000 - 17500;
        std::vector<int32_t> steps;
        h.rail->SeekButtonDown(1, kLeftButton);
        for (int i = 0; i < 3; ++i)
            h.rail->OnSeekRepeatTimer();
        int32_t from = 100000 - 17500;
        for (int32_t target : h.seeks) {
            steps.push_back(target - from);
            QVERIFY(target <= 100000);
            from = target;
        }
        QCOMPARE(steps, (std::vector<int32_t>{10000, 5000, 2500, 0}));
    }

    void seekRelative_fiveSecondsBeforeEndTakesHalfStep()
    {
        Harness h;
        h.position = 85000;
        h.rail->SeekRelative(10000);
        QCOMPARE(h.seeks, std::vector<int32_t>{90000});
        // The label and knob show the position read before the seek.
        QCOMPARE(h.LblAkt(), QString("1:25"));
        QCOMPARE(h.rail->RailValue(), 85000.0f / 90000.0f);
        h.position = 3000;  // backward steps are not halved
        h.rail->SeekRelative(-10000);
        QCOMPARE(h.seeks.back(), -7000);
    }

    void seekRelative_throttledTo100ms()
    {
        Harness h;
        h.position = 1000;
        h.rail->LastSeekTick = h.clock.TickCountMs();
        h.tick32 += 30;
        h.rail->SeekRelative(1000);
        QCOMPARE(h.sleeps, std::vector<int64_t>{70});
        QCOMPARE(h.rail->LastSeekTick, int64_t{5000 + 100});
        h.tick32 += 150;
        h.rail->SeekRelative(1000);
        QCOMPARE(h.sleeps.size(), size_t{1});
        QCOMPARE(h.seeks, (std::vector<int32_t>{2000, 3000}));
    }
};

QTEST_MAIN(TestPositionRail)
#include "tst_part_6_1_rail.moc"
