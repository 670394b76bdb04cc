// The speed rail's logic on a rail of 124 pixels with a knob of 10: the knob travels from
// 2 to 112, the middle is 57. Time is the test's own clock.
#include "controls/SpeedRail.h"

#include <QtTest>

using namespace vistrel;

class TestSpeedRail : public QObject {
    Q_OBJECT

private slots:
    // Steps: "k<x>" press on the knob at x, "r<x>" press on the rail, "m<x>" drag to x,
    // "+<ms>" time passes, "t" the rest timer runs out and the engine takes the speed, "f"
    // the same but the engine refuses it, "c" the title closes. A press or a drag gives the
    // label's new text or "=" when it stays; a tick gives "set <speed>" or "none". Last comes
    // the knob's left edge.
    void drags_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        QTest::newRow("far left is 10 %") << "k60 m0 +300 t" << "10% set 100 knob=2";
        QTest::newRow("far right is 400 %") << "k60 m500 +300 t" << "400% set 4000 knob=112";
        QTest::newRow("89 % is cut to 80 %") << "k60 m54 +300 t" << "80% set 800 knob=51";
        QTest::newRow("91 % snaps to normal, knob re-centred") << "k60 m55 +300 t" << "= set 1000 knob=57";
        QTest::newRow("116 % snaps to normal") << "k60 m63 +300 t" << "= set 1000 knob=57";
        QTest::newRow("122 % is 120 %") << "k60 m64 +300 t" << "120% set 1200 knob=61";
        QTest::newRow("138 % is cut to 130 %") << "k60 m67 +300 t" << "130% set 1300 knob=64";
        QTest::newRow("nothing applied before 300 ms of rest")
            << "k60 m80 +200 t m90 +200 t +99 t +1 t t" << "200% none 260% none none set 2600 none knob=87";
        QTest::newRow("the same x neither moves nor restarts the rest")
            << "k60 m80 +250 m80 +50 t" << "200% = set 2000 knob=77";
        QTest::newRow("a press on the rail picks at once, the drag goes on")
            << "r120 +300 t m60 +300 t" << "400% set 4000 100% set 1000 knob=57";
        QTest::newRow("a press left of the knob") << "r20 +300 t" << "20% set 200 knob=15";
        QTest::newRow("refused normal speed leaves the knob") << "k60 m55 +300 f" << "= set 1000 knob=52";
        QTest::newRow("a closed title cancels the pending speed") << "k60 m80 c +300 t" << "200% 100% none knob=57";
    }

    void drags()
    {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        int64_t now = 1000;
        SpeedRail rail([&now] { return now; });
        rail.SetGeometry(124, 10);
        QStringList out;
        const auto shown = [&rail](bool changed) { return changed ? QString::fromStdString(SpeedText(rail.ShownSpeed())) : "="; };
        for (const QString& step : steps.split(' ')) {
            const int value = step.mid(1).toInt();
            const int32_t before = rail.ShownSpeed();
            switch (step[0].toLatin1()) {
            case 'k': rail.PressOnKnob(value); break;
            case 'r': rail.PressOnRail(value); out << shown(rail.ShownSpeed() != before); break;
            case 'm': out << shown(rail.DragTo(value)); break;
            case '+': now += value; break;
            case 'c': rail.TitleClosed(); out << shown(true); break;
            case 't':
            case 'f':
                if (const auto speed = rail.TakeDueSpeed()) {
                    rail.Applied(*speed, step == "t");
                    out << QString("set %1").arg(*speed);
                } else {
                    out << "none";
                }
                break;
            default: QFAIL(qPrintable("unknown step " + step));
            }
        }
        out << QString("knob=%1").arg(rail.KnobLeft());
        QCOMPARE(out.join(' '), expected);
    }
};

QTEST_APPLESS_MAIN(TestSpeedRail)
#include "tst_speed_rail.moc"
