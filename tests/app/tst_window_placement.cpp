// Where the main window goes at start: the remembered position unless no monitor shows it,
// stepping 23 pixels (a caption and 2) below every other instance there. A 400 x 300 window,
// monitors of 1920 x 1080 and 1280 x 1024 below it; (-1, -1) stands for the default position.
#include "app/WindowPlacement.h"

#include <QtTest>

using namespace vistrel;
using Rects = QList<QRect>;

class TestWindowPlacement : public QObject {
    Q_OBJECT

private slots:
    void placement_data()
    {
        QTest::addColumn<QPoint>("remembered");
        QTest::addColumn<Rects>("others");
        QTest::addColumn<QPoint>("expected");
        const auto row = [](const char* name, QPoint at, const Rects& others, QPoint expected) { QTest::newRow(name) << at << others << expected; };
        const Rects twenty(20, QRect(700, 700, 10, 10)), there{{100, 100, 400, 300}};
        row("touches only the edge", {1920, 100}, {}, {-1, -1});
        row("one pixel shows", {1919, 1079}, {}, {1919, 1079});
        row("on the second monitor", {100, 1500}, {}, {100, 1500});
        row("0, 0 is the default", {0, 0}, {{0, 0, 400, 300}}, {-1, -1});
        row("0, 50 is not", {0, 50}, {}, {0, 50});
        // The window at 123 is passed first and matches only after the step from 100.
        row("walk restarts", {100, 100}, Rects{{100, 123, 400, 300}, {500, 500, 400, 300}} + there, {100, 146});
        row("the 21st is not used", {100, 100}, twenty + there, {100, 100});
        row("empty ones do not count", {100, 100}, Rects{{1, 1, 0, 0}} + twenty.mid(1) + there, {100, 123});
        row("clamped to the bottom", {100, 770}, {{100, 770, 400, 300}}, {100, 780});
        row("bottom right gives 0, 0", {1520, 757}, {{1520, 757, 400, 300}}, {0, 0});
        row("one pixel left of it", {1519, 757}, {{1519, 757, 400, 300}}, {1519, 780});
        row("endless walk gives 0, 0", {100, 769}, {{100, 780, 400, 300}, {100, 769, 400, 300}}, {0, 0});  // 780 comes back
    }
    void placement()
    {
        QFETCH(QPoint, remembered);
        QFETCH(Rects, others);
        QFETCH(QPoint, expected);
        WindowPlacementInput in{remembered.x(), remembered.y(), 400, 300, {{0, 0, 1920, 1080}, {0, 1080, 1280, 1024}}, 1080, {}, 21};
        for (const QRect& r : others)
            in.otherInstances.push_back({r.x(), r.y(), r.width(), r.height()});
        const WindowPlacementResult result = ComputeWindowPlacement(in);
        QCOMPARE(result.keepDefaultPosition ? QPoint(-1, -1) : QPoint(result.X, result.Y), expected);
    }
};

QTEST_APPLESS_MAIN(TestWindowPlacement)
#include "tst_window_placement.moc"
