// Where the main window goes at start: the remembered position unless no monitor shows it,
// stepping one caption down below every other instance already there (400 x 300 window,
// one 1920 x 1080 monitor, 21-pixel captions unless a row says otherwise).
#include "app/WindowPlacement.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QtTest>

using namespace vistrel;

namespace {

using Rects = QList<QRect>;
const QPoint kDefault(-1, -1);  // the default position

void Row(const char* name, QPoint at, const Rects& others, QPoint expected, int caption = 21, const Rects& monitors = {})
{
    QTest::newRow(name) << at << others << monitors << caption << expected;
}

}  // namespace

class TestWindowPlacement : public QObject {
    Q_OBJECT

private slots:
    void placement_data()
    {
        QTest::addColumn<QPoint>("remembered");
        QTest::addColumn<Rects>("others");
        QTest::addColumn<Rects>("moreMonitors");
        QTest::addColumn<int>("caption");
        QTest::addColumn<QPoint>("expected");
        const Rects twenty(20, QRect(700, 700, 10, 10)), there{{100, 100, 400, 300}};
        Row("unplugged monitor", {2500, 100}, {}, kDefault);
        Row("touches only the edge", {1920, 100}, {}, kDefault);
        Row("one pixel shows", {1919, 1079}, {}, {1919, 1079});
        Row("on the second monitor", {2500, 100}, {}, {2500, 100}, 21, {{1920, 0, 1280, 1024}});
        Row("0, 0 is the default", {0, 0}, {{0, 0, 400, 300}}, kDefault);
        Row("0, 50 is not", {0, 50}, {}, {0, 50});
        Row("one caption down", {100, 100}, there, {100, 123});
        Row("taller caption", {100, 100}, there, {100, 132}, 30);
        // The window at 123 is passed first and matches only after the step from 100.
        Row("walk restarts", {100, 100}, Rects{{100, 123, 400, 300}, {500, 500, 400, 300}} + there, {100, 146});
        Row("the 21st is not used", {100, 100}, twenty + there, {100, 100});
        Row("empty ones do not count", {100, 100}, Rects{{1, 1, 0, 0}} + twenty.mid(1) + there, {100, 123});
        Row("clamped to the bottom", {100, 770}, {{100, 770, 400, 300}}, {100, 780});
        Row("bottom right gives 0, 0", {1520, 757}, {{1520, 757, 400, 300}}, {0, 0});
        Row("one pixel left of it", {1519, 757}, {{1519, 757, 400, 300}}, {1519, 780});
        // Another instance sits at the clamped bottom: the walk would step to 780 for ever.
        Row("endless walk gives 0, 0", {100, 700},
            {{100, 780, 400, 300}, {100, 700, 400, 300}, {100, 723, 400, 300}, {100, 746, 400, 300}, {100, 769, 400, 300}},
            {0, 0});
    }
    void placement()
    {
        QFETCH(QPoint, remembered);
        QFETCH(Rects, others);
        QFETCH(Rects, moreMonitors);
        QFETCH(int, caption);
        QFETCH(QPoint, expected);
        WindowPlacementInput in{remembered.x(), remembered.y(), 400, 300, {{0, 0, 1920, 1080}}, 1080, {}, caption};
        for (const QRect& r : others)
            in.otherInstances.push_back({r.x(), r.y(), r.width(), r.height()});
        for (const QRect& r : moreMonitors)
            in.monitors.push_back({r.x(), r.y(), r.width(), r.height()});
        const WindowPlacementResult result = ComputeWindowPlacement(in);
        QCOMPARE(result.keepDefaultPosition ? kDefault : QPoint(result.X, result.Y), expected);
    }
};

QTEST_APPLESS_MAIN(TestWindowPlacement)
#include "tst_window_placement.moc"
