// The real program under Xvfb: its window on the demo folder, its INI file beside the
// program, the "Error" box for a nonexistent argument, and where its windows go. Plain
// Xvfb has no window manager, so a window's frame is the window itself, and the program
// finds another instance among the root window's viewable children.
#include "e2e/X11Client.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace vistrel;

// Every wait ends on the event it waits for (or on the program's end); the bound only has
// to outlast a busy machine starting an instrumented build.
constexpr int kWaitMs = 60000;

class TestE2eLaunch : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    test::X11Client x_;

    std::string Ini() const { return dir_.filePath("vistrel.ini").toStdString(); }

    // Starts the program and returns its newly shown window named `name` once it is mapped;
    // 0 when the program ended or the bound passed first.
    uint32_t Launch(QProcess& process, const QStringList& args, const std::string& name = "Vistrel")
    {
        const std::vector<uint32_t> before = x_.ShownWindows(name);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(dir_.filePath("vistrel"), args);
        uint32_t window = 0;
        (void)QTest::qWaitFor([&] {
            for (const uint32_t shown : x_.ShownWindows(name))
                if (std::find(before.begin(), before.end(), shown) == before.end())
                    window = shown;
            return window || process.state() == QProcess::NotRunning;
        }, kWaitMs);
        if (!window)
            qWarning("no window named %s; the program's exit code: %d", name.c_str(), process.exitCode());
        return window;
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

private slots:
    void initTestCase()
    {
        QVERIFY2(!qgetenv("DISPLAY").isEmpty() && x_.Connected(), "e2e tests run under Xvfb: use ./test.sh");
        // Without a window manager there are no _NET_FRAME_EXTENTS, so the program takes the
        // caption height from its style: Fusion's title bar is 24 device-independent pixels.
        qputenv("QT_STYLE_OVERRIDE", "fusion");
        // A copy of the program in a folder of its own, so its INI file is read and written there.
        QVERIFY(QFile::copy(VISTREL_BINARY_DIR "/vistrel", dir_.filePath("vistrel")));
    }

    void nonexistentArgumentEndsWithErrorBoxBeforeAnyWindow()
    {
        QProcess process;
        const uint32_t box = Launch(process, {"/nonexistent/vistrel-e2e.mp3"}, "Error");
        QVERIFY(box);
        QVERIFY(x_.ShownWindows("Vistrel").empty());
        CloseAndExpect(box, process, 1);
        QVERIFY(!QFile::exists(dir_.filePath("vistrel.ini")));
    }

    // No saved position (0, 0) or one on no monitor (one that was unplugged; the screen is
    // 1280x800) leaves the default position; a saved one is kept; an instance whose saved
    // position another one holds steps one caption height + 2 lower. The instance closed
    // last writes where it is into the INI file, and no backup.
    void placementAndSettingsOnClose()
    {
        const char* saved[] = {"0\nTop=0", "100\nTop=80", "100\nTop=80", "5000\nTop=5000"};
        QProcess instances[4];
        uint32_t windows[4] = {};
        QPoint at[4];
        for (int i = 0; i < 4; ++i) {
            test::WriteFile(Ini(), std::string("[Settings]\nLeft=") + saved[i] + "\n");
            windows[i] = Launch(instances[i], i == 0 ? QStringList{VISTREL_SOURCE_DIR "/demo"} : QStringList{});
            const auto g = x_.Geometry(windows[i]);
            QVERIFY(windows[i] && g && g->width >= 200 && g->height >= 150);
            at[i] = {g->x, g->y};
        }
        QCOMPARE(at[1], QPoint(100, 80));
        QCOMPARE(at[2], QPoint(100, 80 + 24 + 2));
        QCOMPARE(at[3], at[0]);
        for (const int i : {0, 1, 3, 2})
            CloseAndExpect(windows[i], instances[i], 0);
        const QByteArray text = QByteArray::fromStdString(test::ReadText(Ini()));
        QVERIFY2(text.startsWith("[Settings]\n") && text.endsWith("\nSeekPreviewWidthFullscreenDivisor=6\nTryOtherInterface=1\n"), text);
        QVERIFY2(text.contains("\nLeft=100\nTop=106\n"), text);
        QVERIFY(!QFile::exists(dir_.filePath("vistrel.bak")));
    }
};

QTEST_GUILESS_MAIN(TestE2eLaunch)
#include "tst_e2e_launch.moc"
