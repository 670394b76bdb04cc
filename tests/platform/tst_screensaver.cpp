// KeepAwake's platform stand-in: Inhibit / UnInhibit of org.freedesktop.ScreenSaver on the
// session bus (test.sh starts one). A fake service on its own bus connection answers, so
// the calls really pass through the bus daemon.
#include "platform/desktop/ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMutex>
#include <QThread>
#include <QtTest>

using vistrel::ScreenSaverInhibitor;

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QStringList Calls() const
    {
        QMutexLocker lock(&mutex_);
        return calls_;
    }

public slots:
    uint Inhibit(const QString& application, const QString& reason)
    {
        Record("Inhibit " + application + " " + reason);
        return 42;
    }
    void UnInhibit(uint cookie) { Record("UnInhibit " + QString::number(cookie)); }

private:
    void Record(const QString& call)
    {
        QMutexLocker lock(&mutex_);
        calls_ << call;
    }

    mutable QMutex mutex_;
    QStringList calls_;
};

class TestScreenSaver : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a session bus: use ./test.sh");
    }

    void withoutTheServiceNothingHappens()
    {
        ScreenSaverInhibitor inhibitor;
        inhibitor.KeepAwake(true, "Playing media");
        QVERIFY(!inhibitor.Inhibited());
        inhibitor.KeepAwake(false, "");
    }

    void playingInhibitsOnceAndStoppingReleases()
    {
        QDBusConnection serviceBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-screensaver");
        // The service answers from its own thread: the inhibitor's calls block this one.
        QThread serviceThread;
        FakeScreenSaver fake;
        fake.moveToThread(&serviceThread);
        serviceThread.start();
        QVERIFY(serviceBus.registerObject("/org/freedesktop/ScreenSaver", &fake, QDBusConnection::ExportAllSlots));
        QVERIFY(serviceBus.registerService("org.freedesktop.ScreenSaver"));
        {
            ScreenSaverInhibitor inhibitor;
            inhibitor.KeepAwake(true, "Playing media");
            QTRY_COMPARE(fake.Calls(), QStringList({"Inhibit Vistrel Playing media"}));
            QVERIFY(inhibitor.Inhibited());
            inhibitor.KeepAwake(true, "Playing media");
            inhibitor.KeepAwake(false, "");
            QVERIFY(!inhibitor.Inhibited());
            QTRY_COMPARE(fake.Calls().size(), 2);
            QCOMPARE(fake.Calls().last(), QString("UnInhibit 42"));
            inhibitor.KeepAwake(true, "Playing media");
        }
        // The destructor releases a pending inhibition.
        QTRY_COMPARE(fake.Calls().size(), 4);
        QCOMPARE(fake.Calls().last(), QString("UnInhibit 42"));
        serviceBus.unregisterService("org.freedesktop.ScreenSaver");
        QDBusConnection::disconnectFromBus("fake-screensaver");
        serviceThread.quit();
        serviceThread.wait();
    }
};

QTEST_GUILESS_MAIN(TestScreenSaver)
#include "tst_screensaver.moc"
