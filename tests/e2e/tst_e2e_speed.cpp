// Play speed in the main window under Xvfb with real sound: a 440 Hz tone of 6.2 s plays
// through libmpv into the null sink of scripts/services.sh; the speed knob is dragged with
// the mouse to 200 %, the list of fixed speeds picks 400 %. The engine's position is compared
// with the wall clock over the same stretch at both speeds, and the null sink's monitor
// tells the tone's pitch.
#include "e2e/NullSinkRecording.h"
#include "platform/mci/MciService.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

using namespace vistrel;

namespace {

constexpr int kWaitMs = 30000;
constexpr int kMeasureMs = 800;
// The sound already buffered in the engine and the server still plays at the old speed.
constexpr int kSettleMs = 300;
constexpr int kBytesPerSecond = 44100 * 4;  // s16le, 2 channels

#define WAIT_VERIFY2(condition, message) QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, kWaitMs), message)

// The device's answer as a number, -1 when nothing is open.
int DeviceStatus(const std::string& item)
{
    std::string reply;
    return mciSendString("status voice1 " + item, reply) == 0 ? std::stoi(reply) : -1;
}

int Position() { return DeviceStatus("position"); }

// The tone's frequency in the left channel: rising crossings of a quarter of the peak per second.
double ToneFrequency(const QByteArray& raw)
{
    const auto* samples = reinterpret_cast<const int16_t*>(raw.constData());
    const qsizetype frames = raw.size() / 4;
    int peak = 0;
    for (qsizetype i = 0; i < frames; ++i)
        peak = std::max(peak, std::abs(int(samples[2 * i])));
    if (peak < 1000)
        return 0;
    int rising = 0;
    bool low = false;
    for (qsizetype i = 0; i < frames; ++i) {
        const int s = samples[2 * i];
        if (s < -peak / 4)
            low = true;
        else if (low && s > peak / 4)
            low = false, ++rising;
    }
    return rising * 44100.0 / double(frames);
}

struct Stretch {
    double positionPerMs = 0;
    double toneHz = 0;
};

}  // namespace

class TestE2eSpeed : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    QProcess parecord_;
    std::unique_ptr<MainWindow> window_;

    const MainControls& Controls() const { return window_->Controls(); }

    // How far the position moved per millisecond of wall time, and the tone heard meanwhile.
    Stretch Measure()
    {
        parecord_.readAllStandardOutput();
        const int from = Position();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(kMeasureMs);
        const int to = Position();
        const qint64 elapsed = clock.elapsed();
        QByteArray raw = parecord_.readAllStandardOutput();
        raw = raw.right(std::min<qsizetype>(raw.size(), kBytesPerSecond * kMeasureMs / 1000) / 4 * 4);
        return {from < 0 || to < 0 ? 0 : double(to - from) / double(elapsed), ToneFrequency(raw)};
    }

    void SendMouse(QWidget* target, QEvent::Type type, int railX, Qt::MouseButtons buttons)
    {
        QWidget* rail = Controls().speedRail;
        const QPointF global = rail->mapToGlobal(QPointF(railX, rail->height() / 2));
        QMouseEvent event(type, target->mapFromGlobal(global), global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    // Presses the knob and drags it right pixel by pixel until the label shows `text`.
    bool DragKnobUntil(const QString& text)
    {
        QFrame* knob = Controls().speedKnob;
        int x = knob->geometry().center().x();
        SendMouse(knob, QEvent::MouseButtonPress, x, Qt::LeftButton);
        for (; x < Controls().speedRail->width() && Controls().playSpeedLabel->text() != text; ++x)
            SendMouse(knob, QEvent::MouseMove, x + 1, Qt::LeftButton);
        SendMouse(knob, QEvent::MouseButtonRelease, x, Qt::NoButton);
        return Controls().playSpeedLabel->text() == text;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: run through ./test.sh");
        QVERIFY2(test::StartNullSinkRecording(parecord_, kWaitMs), "no sound from nullsink.monitor: run through ./test.sh");
        test::WriteFile(fixture_.Path("tone.mp3"), test::ReadFile(test::Fixture("mp3_6s_8k_mono.mp3")));
        window_ = fixture_.Show("UseMCI=1\n", fixture_.Path());
    }

    void cleanupTestCase()
    {
        if (window_)
            window_->close();
        parecord_.kill();
        parecord_.waitForFinished(kWaitMs);
    }

    // At 200 % the position runs about twice as fast as at 100 %, the tone keeps its pitch;
    // the list's 400 % reaches the engine; Stop puts the list, the label and the knob back
    // to normal speed.
    void speedChangesThePaceNotThePitch()
    {
        QListView* files = Controls().fileList;
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, test::RowRect(*window_, 0).center());
        WAIT_VERIFY2(Position() >= 300, "the tone does not play");
        QVERIFY(Controls().speedRail->isEnabled() && Controls().speedList->isEnabled());
        const int middle = Controls().speedKnob->x();
        const Stretch normal = Measure();

        QVERIFY2(DragKnobUntil("200%"), qPrintable(Controls().playSpeedLabel->text()));
        WAIT_VERIFY2(DeviceStatus("speed") == 2000, "the rail's speed did not reach the engine");
        QTest::qWait(kSettleMs);
        const Stretch doubled = Measure();
        const double ratio = doubled.positionPerMs / normal.positionPerMs;
        const QByteArray seen = QString("position per ms %1 then %2, tone %3 Hz then %4 Hz")
                                    .arg(normal.positionPerMs).arg(doubled.positionPerMs)
                                    .arg(normal.toneHz).arg(doubled.toneHz).toUtf8();
        QVERIFY2(normal.positionPerMs > 0.6 && ratio > 1.5 && ratio < 2.6, seen.constData());
        QVERIFY2(normal.toneHz > 300 && std::abs(doubled.toneHz / normal.toneHz - 1) < 0.15, seen.constData());

        QTest::keyClick(Controls().speedList, Qt::Key_Down);
        QCOMPARE(Controls().speedList->currentText(), "400");
        WAIT_VERIFY2(DeviceStatus("speed") == 4000, "the list's speed did not reach the engine");
        QCOMPARE(Controls().playSpeedLabel->text(), "200%");  // the list leaves the rail alone

        QTest::mouseClick(Controls().playButtons[2], Qt::LeftButton);
        QCOMPARE(Controls().speedList->currentText(), "100");
        QCOMPARE(Controls().playSpeedLabel->text(), "100%");
        QCOMPARE(Controls().speedKnob->x(), middle);
    }
};

QTEST_MAIN(TestE2eSpeed)
#include "tst_e2e_speed.moc"
