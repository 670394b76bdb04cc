// Keeping the session awake: Inhibit / UnInhibit of org.freedesktop.ScreenSaver on the
// session bus (test.sh starts one), answered by a fake service on its own connection.
#include "platform/desktop/ScreenSaver.h"
#include "support/FakeScreenSaver.h"

#include <QDBusConnection>
#include <QtTest>

using vistrel::ScreenSaverInhibitor;
namespace test = vistrel::test;

class TestScreenSaver : public QObject {
    Q_OBJECT

private slots:
    void playingInhibitsOnceAndStoppingReleases()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a session bus: use ./test.sh");
        {
            ScreenSaverInhibitor alone;  // no service: nothing happens, nothing hangs
            alone.KeepAwake(true, "Playing media");
            QVERIFY(!alone.Inhibited());
        }
        test::FakeScreenSaver fake(42);
        QVERIFY(fake.Registered());
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
        // The destructor releases a pending inhibition.
        QTRY_COMPARE(fake.Calls().size(), 4);
        QCOMPARE(fake.Calls().last(), QString("UnInhibit 42"));
    }
};

QTEST_GUILESS_MAIN(TestScreenSaver)
#include "tst_screensaver.moc"
