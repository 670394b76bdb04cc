// Keeping the session awake: Inhibit / UnInhibit of org.freedesktop.ScreenSaver on the
// session bus (test.sh starts one), answered by a fake service on its own connection.
#include "platform/desktop/ScreenSaver.h"
#include "support/FakeScreenSaver.h"

#include <QtTest>

using namespace vistrel;

class TestScreenSaver : public QObject {
    Q_OBJECT

private slots:
    void playingInhibitsOnceAndStoppingReleases()
    {
        {
            ScreenSaverInhibitor alone;  // no service: nothing happens, nothing hangs
            alone.KeepAwake(true, "Playing media");
            QVERIFY(!alone.Inhibited());
        }
        test::FakeScreenSaver fake(42);
        QVERIFY2(fake.Registered(), "needs a session bus: use ./test.sh");
        {
            ScreenSaverInhibitor inhibitor;
            inhibitor.KeepAwake(true, "Playing media");
            QTRY_COMPARE(fake.Calls(), QStringList({"Inhibit Vistrel Playing media"}));
            QVERIFY(inhibitor.Inhibited());
            inhibitor.KeepAwake(true, "Playing media");
            inhibitor.KeepAwake(false, "");
            QVERIFY(!inhibitor.Inhibited());
            QTRY_COMPARE(fake.Calls(), QStringList({"Inhibit Vistrel Playing media", "UnInhibit 42"}));
            inhibitor.KeepAwake(true, "Playing media");
        }
        QTRY_COMPARE(fake.Calls().size(), 4);  // the destructor releases a pending inhibition
        QCOMPARE(fake.Calls().last(), QString("UnInhibit 42"));
    }
};

QTEST_GUILESS_MAIN(TestScreenSaver)
#include "tst_screensaver.moc"
