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

namespace {

enum Fake { Absent, Answers, Hangs };

std::unique_ptr<FakeBusService> Serve(BusService service, int fake)
{
    return fake == Absent ? nullptr : std::make_unique<FakeBusService>(service, fake == Answers);
}

}  // namespace

class TestKeepAwake : public QObject {
    Q_OBJECT

private slots:
    void inhibitsWhatTheTitleNeeds_data()
    {
        QTest::addColumn<int>("screenSaver");
        QTest::addColumn<int>("portal");
        QTest::addColumn<int>("logind");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("heldFirst");
        QTest::addColumn<QStringList>("screenSaverCalls");
        QTest::addColumn<QStringList>("portalCalls");
        QTest::addColumn<QStringList>("logindCalls");
        const QStringList video{"Inhibit Vistrel Playing video", "UnInhibit 7"};
        const QStringList portal{"Inhibit 4 Playing audio", "Close"};
        const QStringList logind{"Inhibit sleep Vistrel Playing audio block", "Released"};
        // No stop at the end: the inhibitor's destructor releases.
        QTest::newRow("video, then audio through the portal") << int(Answers) << int(Answers) << int(Answers)
            << QStringList{"video", "video", "audio"} << int(Hold::Display) << video << portal << QStringList();
        QTest::newRow("audio through logind without a portal, then video") << int(Answers) << int(Absent) << int(Answers)
            << QStringList{"audio", "audio", "video", "stop"} << int(Hold::Sleep) << video << QStringList() << logind;
        QTest::newRow("no service: nothing") << int(Absent) << int(Absent) << int(Absent)
            << QStringList{"video", "audio", "stop"} << int(Hold::None) << QStringList() << QStringList() << QStringList();
        QTest::newRow("screen saver never answers") << int(Hangs) << int(Absent) << int(Absent)
            << QStringList{"video", "stop"} << int(Hold::None) << video.mid(0, 1) << QStringList() << QStringList();
        // The portal's late answer must not outlive the request: its handle is closed.
        QTest::newRow("portal never answers: logind") << int(Absent) << int(Hangs) << int(Answers)
            << QStringList{"audio", "stop"} << int(Hold::Sleep) << QStringList() << portal << logind;
        QTest::newRow("logind never answers") << int(Absent) << int(Absent) << int(Hangs)
            << QStringList{"audio", "stop"} << int(Hold::None) << QStringList() << QStringList() << logind.mid(0, 1);
    }

    void inhibitsWhatTheTitleNeeds()
    {
        QFETCH(int, screenSaver);
        QFETCH(int, portal);
        QFETCH(int, logind);
        QFETCH(QStringList, steps);
        QFETCH(int, heldFirst);
        const auto screenSaverFake = Serve(BusService::ScreenSaver, screenSaver);
        const auto portalFake = Serve(BusService::Portal, portal);
        const auto logindFake = Serve(BusService::Logind, logind);
        for (const auto* fake : {screenSaverFake.get(), portalFake.get(), logindFake.get()})
            QVERIFY2(!fake || fake->Registered(), "needs the test buses: use ./test.sh");
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
        QFETCH(QStringList, screenSaverCalls);
        QFETCH(QStringList, portalCalls);
        QFETCH(QStringList, logindCalls);
        QTRY_COMPARE(screenSaverFake ? screenSaverFake->Calls() : QStringList(), screenSaverCalls);
        QTRY_COMPARE(portalFake ? portalFake->Calls() : QStringList(), portalCalls);
        QTRY_COMPARE(logindFake ? logindFake->Calls() : QStringList(), logindCalls);
    }
};

QTEST_GUILESS_MAIN(TestKeepAwake)
#include "tst_keep_awake.moc"
