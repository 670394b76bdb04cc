// Keeping the machine awake: the screen saver for video, the portal or else logind for
// audio, answered by fake services on the test buses (./test.sh starts them).
#include "platform/desktop/KeepAwake.h"
#include "support/FakeBusService.h"

#include <QtTest>

#include <memory>

using namespace vistrel;
using test::BusService;
using test::FakeBusService;
using Hold = KeepAwakeInhibitor::Hold;

enum Fake { Absent, Answers, Hangs };

class TestKeepAwake : public QObject {
    Q_OBJECT

private slots:
    void inhibitsWhatTheTitleNeeds_data()
    {
        QTest::addColumn<QList<int>>("fakes");  // the screen saver's, the portal's, logind's
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("heldFirst");
        QTest::addColumn<QList<QStringList>>("calls");  // that each fake took
        const QStringList video{"Inhibit Vistrel Playing video", "UnInhibit 7"};
        const QStringList portal{"Inhibit 4 Playing audio", "Close"};
        const QStringList logind{"Inhibit sleep Vistrel Playing audio block", "Released"};
        // No stop at the end: the inhibitor's destructor releases.
        QTest::newRow("video, then audio through the portal") << QList<int>{Answers, Answers, Answers}
            << QStringList{"video", "video", "audio"} << int(Hold::Display) << QList<QStringList>{video, portal, {}};
        QTest::newRow("audio through logind without a portal, then video") << QList<int>{Answers, Absent, Answers}
            << QStringList{"audio", "audio", "video", "stop"} << int(Hold::Sleep) << QList<QStringList>{video, {}, logind};
        QTest::newRow("no service: nothing") << QList<int>{Absent, Absent, Absent}
            << QStringList{"video", "audio", "stop"} << int(Hold::None) << QList<QStringList>{{}, {}, {}};
        QTest::newRow("screen saver never answers") << QList<int>{Hangs, Absent, Absent}
            << QStringList{"video", "stop"} << int(Hold::None) << QList<QStringList>{video.mid(0, 1), {}, {}};
        // The portal's late answer must not outlive the request: its handle is closed.
        QTest::newRow("portal never answers: logind") << QList<int>{Absent, Hangs, Answers}
            << QStringList{"audio", "stop"} << int(Hold::Sleep) << QList<QStringList>{{}, portal, logind};
        QTest::newRow("logind never answers") << QList<int>{Absent, Absent, Hangs}
            << QStringList{"audio", "stop"} << int(Hold::None) << QList<QStringList>{{}, {}, logind.mid(0, 1)};
    }

    void inhibitsWhatTheTitleNeeds()
    {
        QFETCH(QList<int>, fakes);
        QFETCH(QStringList, steps);
        QFETCH(int, heldFirst);
        std::unique_ptr<FakeBusService> served[3];
        for (int i = 0; i < 3; ++i) {
            served[i] = fakes[i] == Absent ? nullptr : std::make_unique<FakeBusService>(BusService(i), fakes[i] == Answers);
            QVERIFY2(!served[i] || served[i]->Registered(), "needs the test buses: use ./test.sh");
        }
        {
            KeepAwakeInhibitor inhibitor;
            for (const QString& step : steps) {
                inhibitor.KeepAwake(step != "stop", step == "video");
                // A service that never answers holds nothing up for long.
                QTRY_VERIFY_WITH_TIMEOUT(!inhibitor.RequestPending(), 5000);
                if (step == steps.first())
                    QCOMPARE(int(inhibitor.Held()), heldFirst);
            }
        }
        QFETCH(QList<QStringList>, calls);
        for (int i = 0; i < 3; ++i)
            QTRY_COMPARE(served[i] ? served[i]->Calls() : QStringList(), calls[i]);
    }
};

QTEST_GUILESS_MAIN(TestKeepAwake)
#include "tst_keep_awake.moc"
