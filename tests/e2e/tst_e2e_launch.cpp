// The real program under Xvfb: its window on the demo folder, its INI file beside the
// program, the "Error" box for a nonexistent argument, and where its window goes. Plain
// Xvfb has no window manager, so a window's frame is the window itself, and the program
// finds another instance among the root window's viewable children.
#include "e2e/X11Client.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vistrel;

namespace {

// Every wait ends on the event it waits for (or on the program's end); the bound only has
// to outlast a busy machine starting an instrumented build.
constexpr int kWaitMs = 60000;
// Without a window manager there are no _NET_FRAME_EXTENTS, so the program takes the
// caption height from its style: Fusion's title bar is 24 device-independent pixels.
constexpr int kFusionTitleBarHeight = 24;

}  // namespace

class TestE2eLaunch : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    test::X11Client x_;

    std::string Ini() const { return dir_.filePath("vistrel.ini").toStdString(); }

    // Starts the program and returns its shown window named `name` (other than `except`)
    // once it is mapped; 0 when the program ended or the bound passed first.
    uint32_t Launch(QProcess& process, const QStringList& args, const char* name = "Vistrel", uint32_t except = 0)
    {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(dir_.filePath("vistrel"), args);
        uint32_t window = 0;
        const auto shownOrEnded = [&] {
            return (window = x_.ShownWindow(name, except)) || process.state() == QProcess::NotRunning;
        };
        (void)QTest::qWaitFor(shownOrEnded, kWaitMs);
        if (!window && process.state() == QProcess::NotRunning)
            qWarning("the program ended with exit code %d (%s)", process.exitCode(), qPrintable(process.errorString()));
        return window;
    }

    QPoint PositionOf(uint32_t window)
    {
        const auto g = x_.Geometry(window).value_or(test::X11Geometry{-1, -1});
        return {g.x, g.y};
    }

    void CloseAndExpect(uint32_t window, QProcess& process, int exitCode)
    {
        x_.RequestClose(window);
        QVERIFY(process.waitForFinished(kWaitMs));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        // The server drops a finished client's windows a moment later.
        QVERIFY(QTest::qWaitFor([&] { return !x_.Geometry(window); }, kWaitMs));
    }

    // Starts the program on an INI with `left` and `top` and notes where its window went.
    void StartAt(int left, int top, QPoint& placed)
    {
        test::WriteFile(Ini(), QString("[Settings]\nLeft=%1\nTop=%2\n").arg(left).arg(top).toStdString());
        QProcess process;
        const uint32_t window = Launch(process, {});
        QVERIFY2(window, "no window named Vistrel appeared");
        placed = PositionOf(window);
        CloseAndExpect(window, process, 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qgetenv("DISPLAY").isEmpty() && x_.Connected(), "e2e tests run under Xvfb: use ./test.sh");
        qputenv("QT_STYLE_OVERRIDE", "fusion");  // the caption height expected above
        // A copy of the program in a folder of its own, so its INI file is read and written there.
        QVERIFY(QFile::copy(VISTREL_BINARY_DIR "/vistrel", dir_.filePath("vistrel")));
    }

    void showsWindowOnDemoFolderAndSavesSettingsOnClose()
    {
        QProcess process;
        const uint32_t window = Launch(process, {VISTREL_SOURCE_DIR "/demo"});
        QVERIFY2(window, "no window named Vistrel appeared");
        const auto geometry = x_.Geometry(window);
        QVERIFY(geometry && geometry->width >= 200 && geometry->height >= 150);
        CloseAndExpect(window, process, 0);
        const QByteArray text = QByteArray::fromStdString(test::ReadText(Ini()));
        QVERIFY2(text.startsWith("[Settings]\n"), text.constData());
        QVERIFY(text.contains("\nUseMCI="));
        QVERIFY(text.contains("\nSeekPreviewWidthFullscreenDivisor=6\n"));
        QVERIFY(!QFile::exists(dir_.filePath("vistrel.bak")));
    }

    void nonexistentArgumentEndsWithErrorBoxBeforeAnyWindow()
    {
        QFile::remove(dir_.filePath("vistrel.ini"));
        QProcess process;
        const uint32_t box = Launch(process, {"/nonexistent/vistrel-e2e.mp3"}, "Error");
        QVERIFY2(box, "no message box titled Error appeared");
        QCOMPARE(x_.ShownWindow("Vistrel"), 0u);
        CloseAndExpect(box, process, 1);
        QVERIFY(!QFile::exists(dir_.filePath("vistrel.ini")));
    }

    // An instance whose saved position is taken by another steps one caption height + 2 lower.
    void secondInstanceStepsBelowTheFirst()
    {
        test::WriteFile(Ini(), "[Settings]\nLeft=100\nTop=80\n");
        QProcess first, second;
        const uint32_t firstWindow = Launch(first, {});
        QVERIFY2(firstWindow, "the first instance showed no window named Vistrel");
        QCOMPARE(PositionOf(firstWindow), QPoint(100, 80));
        const uint32_t secondWindow = Launch(second, {}, "Vistrel", firstWindow);
        QVERIFY2(secondWindow, "the second instance showed no window named Vistrel");
        QCOMPARE(PositionOf(secondWindow), QPoint(100, 80 + kFusionTitleBarHeight + 2));
        CloseAndExpect(secondWindow, second, 0);
        CloseAndExpect(firstWindow, first, 0);
    }

    // A saved position on no monitor (one that was unplugged) leaves the default position.
    void positionOnNoMonitorKeepsTheDefaultPosition()
    {
        QPoint byDefault, offScreen;
        StartAt(0, 0, byDefault);
        QVERIFY(!QTest::currentTestFailed());
        StartAt(5000, 5000, offScreen);  // the screen is 1280x800
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(offScreen, byDefault);
    }
};

QTEST_GUILESS_MAIN(TestE2eLaunch)
#include "tst_e2e_launch.moc"
