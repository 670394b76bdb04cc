// End to end under Xvfb: the real program starts on the demo folder, shows its window
// titled "Vistrel", closes when asked as a window manager asks, and leaves its INI file
// beside the program; a nonexistent argument ends it with the "Error" box before any window.
#include "e2e/X11Client.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using vistrel::test::X11Client;

class TestE2eStartup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString program_;

    void StartProgram(QProcess& process, const QStringList& args)
    {
        process.setProgram(program_);
        process.setArguments(args);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start();
        QVERIFY(process.waitForStarted(10000));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qgetenv("DISPLAY").isEmpty(), "e2e tests run under Xvfb: use ./test.sh");
        // A copy of the program in a folder of its own, so its INI file lands there.
        program_ = dir_.filePath("vistrel");
        QVERIFY(QFile::copy(VISTREL_BINARY_DIR "/vistrel", program_));
        QVERIFY(QFile::setPermissions(program_, QFile::permissions(program_) | QFile::ExeOwner));
    }

    void showsWindowOnDemoFolderAndSavesSettingsOnClose()
    {
        X11Client x;
        QVERIFY(x.Connected());
        QProcess process;
        StartProgram(process, {VISTREL_SOURCE_DIR "/demo"});
        const auto window = x.WaitForShownWindow("Vistrel", 30000);
        QVERIFY2(window, "no window named Vistrel appeared");
        const auto geometry = x.Geometry(*window);
        QVERIFY(geometry && geometry->viewable);
        QVERIFY(geometry->width >= 200 && geometry->height >= 150);
        x.RequestClose(*window);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QFile ini(dir_.filePath("vistrel.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.startsWith("[Settings]\n"));
        QVERIFY(text.contains("\nUseMCI="));
        QVERIFY(text.contains("\nSeekPreviewWidthFullscreenDivisor=6\n"));
        QVERIFY(!QFile::exists(dir_.filePath("vistrel.bak")));
    }

    void nonexistentArgumentEndsWithErrorBox()
    {
        QFile::remove(dir_.filePath("vistrel.ini"));
        X11Client x;
        QProcess process;
        StartProgram(process, {"/nonexistent/vistrel-e2e.mp3"});
        const auto box = x.WaitForShownWindow("Error", 30000);
        QVERIFY2(box, "no message box titled Error appeared");
        QVERIFY(!x.WaitForWindow("Vistrel", 500));
        x.RequestClose(*box);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(!QFile::exists(dir_.filePath("vistrel.ini")));
    }
};

QTEST_GUILESS_MAIN(TestE2eStartup)
#include "tst_e2e_startup.moc"
