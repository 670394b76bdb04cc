// End to end under Xvfb, Part 1.2 "Window placement (load)": the saved Left and Top place
// the window; a second instance whose saved position is taken by the first steps one
// caption height + 2 pixels lower; a saved position on no monitor leaves the default one.
// Plain Xvfb has no window manager, so a window's frame is the window itself, and the
// program finds the other instance among the root window's viewable children.
#include "e2e/X11Client.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using vistrel::test::X11Client;
using vistrel::test::X11Point;

namespace {

// Without a window manager there are no _NET_FRAME_EXTENTS, so the program takes the
// caption height from its style: Fusion's title bar is 24 device-independent pixels.
constexpr int kFusionTitleBarHeight = 24;
constexpr int kWaitMs = 30000;

}  // namespace

class TestE2ePlacement : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString program_;

    void WriteIni(int left, int top)
    {
        QFile ini(dir_.filePath("vistrel.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[Settings]\nLeft=%1\nTop=%2\n").arg(left).arg(top).toUtf8());
    }

    void Start(QProcess& process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_STYLE_OVERRIDE", "fusion");  // the caption height the test expects
        process.setProcessEnvironment(env);
        process.setProgram(program_);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start();
        QVERIFY(process.waitForStarted(10000));
    }

    // A shown window named "Vistrel" other than `except`; 0 when none shows up.
    uint32_t ShownWindow(X11Client& x, uint32_t except = 0)
    {
        return x.WaitForShownWindow("Vistrel", kWaitMs, except).value_or(0);
    }

    X11Point PositionOf(X11Client& x, uint32_t window)
    {
        return x.RootPosition(window).value_or(X11Point{-1, -1});
    }

    void CloseAndExpectExitCode0(X11Client& x, uint32_t window, QProcess& process)
    {
        x.RequestClose(window);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    // Starts the program on an INI with `left` and `top`, notes where its window went and
    // closes it.
    void StartAt(int left, int top, X11Point& placed)
    {
        WriteIni(left, top);
        X11Client x;
        QProcess process;
        Start(process);
        const uint32_t window = ShownWindow(x);
        QVERIFY2(window != 0, "no window named Vistrel appeared");
        placed = PositionOf(x, window);
        CloseAndExpectExitCode0(x, window, process);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qgetenv("DISPLAY").isEmpty(), "e2e tests run under Xvfb: use ./test.sh");
        // A copy of the program in a folder of its own, so it reads the INI written there.
        program_ = dir_.filePath("vistrel");
        QVERIFY(QFile::copy(VISTREL_BINARY_DIR "/vistrel", program_));
        QVERIFY(QFile::setPermissions(program_, QFile::permissions(program_) | QFile::ExeOwner));
    }

    void secondInstanceStepsBelowTheFirst()
    {
        WriteIni(100, 80);
        X11Client x;
        QVERIFY(x.Connected());

        QProcess first;
        Start(first);
        const uint32_t firstWindow = ShownWindow(x);
        QVERIFY2(firstWindow != 0, "the first instance showed no window named Vistrel");
        QCOMPARE(PositionOf(x, firstWindow).x, 100);
        QCOMPARE(PositionOf(x, firstWindow).y, 80);

        QProcess second;
        Start(second);
        const uint32_t secondWindow = ShownWindow(x, firstWindow);
        QVERIFY2(secondWindow != 0, "the second instance showed no window named Vistrel");
        QCOMPARE(PositionOf(x, secondWindow).x, 100);
        QCOMPARE(PositionOf(x, secondWindow).y, 80 + kFusionTitleBarHeight + 2);

        CloseAndExpectExitCode0(x, secondWindow, second);
        QVERIFY(!QTest::currentTestFailed());
        CloseAndExpectExitCode0(x, firstWindow, first);
    }

    void positionOnNoMonitorKeepsTheDefaultPosition()
    {
        X11Point byDefault{-1, -1};
        StartAt(0, 0, byDefault);
        QVERIFY(!QTest::currentTestFailed());
        X11Point offScreen{-1, -1};
        StartAt(5000, 5000, offScreen);  // the screen is 1280x800
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(offScreen.x, byDefault.x);
        QCOMPARE(offScreen.y, byDefault.y);
    }
};

QTEST_GUILESS_MAIN(TestE2ePlacement)
#include "tst_e2e_placement.moc"
