// The real program on the test session bus as a desktop's player applet sees it: its MPRIS
// name, the play state, pause, seek, next, the title's metadata and quitting.
#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace vistrel;

constexpr int kWaitMs = 60000;
constexpr const char* kPath = "/org/mpris/MediaPlayer2";
constexpr const char* kPlayer = "org.mpris.MediaPlayer2.Player";

#define WAIT_VERIFY2(cond, what) QVERIFY2(QTest::qWaitFor([&] { return bool(cond); }, kWaitMs), what)

class TestE2eMpris : public QObject {
    Q_OBJECT

public slots:
    void OnSeeked(qlonglong position) { seeked_.append(position); }
    void OnPropertiesChanged(const QString&, const QVariantMap& changed, const QStringList&)
    {
        changedNames_ += changed.keys();
    }

private:
    QTemporaryDir dir_;
    QProcess program_;
    QString service_;
    QList<qlonglong> seeked_;
    QStringList changedNames_;

    QString Media(const char* name) const { return dir_.filePath(QString("media/") + name); }

    // The name the program took: the well-known one, or its instance name when another
    // player held that.
    QString OwnedName() const
    {
        const auto pid = static_cast<uint>(program_.processId());
        const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        for (const QString& name : {QString("org.mpris.MediaPlayer2.vistrel"),
                                    QString("org.mpris.MediaPlayer2.vistrel.instance%1").arg(pid)})
            if (bus->isServiceRegistered(name) && bus->servicePid(name).value() == pid)
                return name;
        return {};
    }

    QVariant Property(const char* name) const
    {
        QDBusInterface player(service_, kPath, kPlayer);
        return player.property(name);
    }
    QString Status() const { return Property("PlaybackStatus").toString(); }
    QVariantMap Metadata() const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(service_, kPath, "org.freedesktop.DBus.Properties", "Get");
        call << QString(kPlayer) << QString("Metadata");
        const QDBusReply<QDBusVariant> reply = QDBusConnection::sessionBus().call(call);
        QVariantMap map;
        qvariant_cast<QDBusArgument>(reply.value().variant()) >> map;
        return map;
    }
    QString Url() const { return Metadata().value("xesam:url").toString(); }
    void Call(const char* method, const QVariantList& args = {})
    {
        QDBusInterface player(service_, kPath, kPlayer);
        const QDBusMessage reply = player.callWithArgumentList(QDBus::Block, method, args);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: use ./test.sh");
        QVERIFY(QDir(dir_.path()).mkdir("media"));
        QVERIFY(QFile::copy(VISTREL_SOURCE_DIR "/demo/a_major_chord.mp3", Media("a_major_chord.mp3")));
        QVERIFY(QFile::copy(VISTREL_SOURCE_DIR "/tests/fixtures/media/mp3_6s_8k_mono.mp3", Media("mp3_6s_8k_mono.mp3")));
        QVERIFY(QFile::copy(VISTREL_BINARY_DIR "/vistrel", dir_.filePath("vistrel")));
        test::WriteFile(dir_.filePath("vistrel.ini").toStdString(), "[Settings]\nLoop=1\n");
        program_.setProcessChannelMode(QProcess::ForwardedChannels);
        program_.start(dir_.filePath("vistrel"), {Media("a_major_chord.mp3")});
        WAIT_VERIFY2(!(service_ = OwnedName()).isEmpty() || program_.state() == QProcess::NotRunning,
                     "the program took no MPRIS name");
        QVERIFY(!service_.isEmpty());
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.connect(service_, kPath, kPlayer, "Seeked", this, SLOT(OnSeeked(qlonglong))));
        QVERIFY(bus.connect(service_, kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                            SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList))));
    }

    void cleanupTestCase()
    {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished(kWaitMs);
        }
    }

    // The file given plays; the bus names it; pause stops the position. The change is told
    // without anyone asking for the state first.
    void playingAndPaused()
    {
        WAIT_VERIFY2(Status() == "Playing", qPrintable(Status()));
        QCOMPARE(Url(), QUrl::fromLocalFile(Media("a_major_chord.mp3")).toString());
        QCOMPARE(Metadata().value("mpris:length").toLongLong() / 100000, 40);  // 4.05 s
        QDBusInterface root(service_, kPath, "org.mpris.MediaPlayer2");
        QCOMPARE(root.property("Identity").toString(), QString("Vistrel"));
        changedNames_.clear();
        Call("PlayPause");
        WAIT_VERIFY2(changedNames_.contains("PlaybackStatus"), "no PropertiesChanged for the pause");
        QCOMPARE(Status(), QString("Paused"));
        const qlonglong at = Property("Position").toLongLong();
        QTest::qWait(600);
        QCOMPARE(Property("Position").toLongLong(), at);
        Call("PlayPause");
        WAIT_VERIFY2(Status() == "Playing", qPrintable(Status()));
    }

    // SetPosition on the current title seeks and says so; one for another title is ignored.
    void setPositionSeeks()
    {
        const QDBusObjectPath track = qvariant_cast<QDBusObjectPath>(Metadata().value("mpris:trackid"));
        Call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/vistrel/track/none")), qlonglong{3000000}});
        Call("SetPosition", {QVariant::fromValue(track), qlonglong{2500000}});
        WAIT_VERIFY2(!seeked_.isEmpty(), "no Seeked signal");
        QCOMPARE(seeked_, QList<qlonglong>{2500000});
        QVERIFY(Property("Position").toLongLong() >= 2400000);
    }

    // The volume is the title's own; the rate goes to the engine as a play speed, one beyond
    // the range is refused. Next
    // plays the next file of the folder, with new metadata, at normal speed.
    void rateAndNext()
    {
        QDBusInterface player(service_, kPath, kPlayer);
        QVERIFY(player.setProperty("Rate", 2.0));
        WAIT_VERIFY2(Property("Rate").value<double>() == 2.0, "the rate did not reach the engine");
        QVERIFY(player.setProperty("Volume", 0.25));
        WAIT_VERIFY2(Property("Volume").value<double>() == 0.25, "the volume did not reach the title");
        QVERIFY(player.setProperty("Rate", 8.0));
        QTest::qWait(300);
        QCOMPARE(Property("Rate").value<double>(), 2.0);
        changedNames_.clear();
        Call("Next");
        WAIT_VERIFY2(changedNames_.contains("Metadata"), "no PropertiesChanged for the new title");
        WAIT_VERIFY2(Url() == QUrl::fromLocalFile(Media("mp3_6s_8k_mono.mp3")).toString(), qPrintable(Url()));
        WAIT_VERIFY2(Status() == "Playing", qPrintable(Status()));
        QCOMPARE(Property("Rate").value<double>(), 1.0);
    }

    // Quit ends the program as its Close button does: the settings are saved.
    void quitSavesAndEnds()
    {
        QDBusInterface root(service_, kPath, "org.mpris.MediaPlayer2");
        root.call(QDBus::NoBlock, "Quit");
        QVERIFY(program_.waitForFinished(kWaitMs));
        QCOMPARE(program_.exitCode(), 0);
        const std::string ini = test::ReadText(dir_.filePath("vistrel.ini").toStdString());
        QVERIFY2(ini.find("\nPath=" + dir_.filePath("media").toStdString()) != std::string::npos, ini.c_str());
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(service_));
    }
};

QTEST_GUILESS_MAIN(TestE2eMpris)
#include "tst_e2e_mpris.moc"
