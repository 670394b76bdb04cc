// Where the video goes: zoom steps, aspect sizes, the starting zoom, the fullscreen and
// window-mode rectangles, the place beside the main window and the monitors.
#include "video/VideoLayout.h"

#include <QtTest>

using namespace vistrel::video;

class TestVideoLayout : public QObject {
    Q_OBJECT

private slots:
    void zoomSteps_data()
    {
        QTest::addColumn<float>("zoom");
        QTest::addColumn<int>("index");
        QTest::addColumn<float>("previous");
        QTest::newRow("none") << 0.0f << -1 << 0.0f;
        QTest::newRow("25 % ticks 33 %") << 0.25f << 1 << 0.0f;
        QTest::newRow("100 %") << 1.0f << 5 << 0.75f;
        QTest::newRow("auto 142 %") << 1.42f << 6 << 1.0f;
        QTest::newRow("beyond 300 %") << 5.0f << 8 << 3.0f;
    }
    void zoomSteps()
    {
        QFETCH(float, zoom); QFETCH(int, index); QFETCH(float, previous);
        QCOMPARE(ZoomIndexByFactor(zoom), index);
        QCOMPARE(PreviousZoomFactor(zoom), previous);
        for (int i = 0; i <= 8; ++i)  // every menu factor ticks its own item
            QCOMPARE(ZoomIndexByFactor(ZoomFactorByIndex(i)), std::max(i, 1));
        QCOMPARE(ZoomFactorByIndex(kZoomOverscanItem), kOverscanZoom);
        QCOMPARE(ZoomFactorByIndex(kZoomItemCount), 0.0f);
    }

    void aspectSizes_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<double>("pixelShape");
        QTest::addColumn<int>("widthLimit");
        QTest::addColumn<QSize>("fourByThree");
        QTest::addColumn<QSize>("sixteenByNine");
        QTest::addColumn<QSize>("standard");
        const auto row = [](const char* name, QSize frame, double shape, int limit, QSize a, QSize b, QSize c) {
            QTest::newRow(name) << frame << shape << limit << a << b << c;
        };
        row("NTSC frame, no shape", {720, 480}, 0, 1920, {720, 540}, {853, 480}, {720, 540});
        row("4:3 frame", {640, 480}, 0, 1920, {640, 480}, {853, 480}, {640, 480});
        row("16:9 beyond the limit", {640, 480}, 0, 800, {640, 480}, {640, 360}, {640, 480});
        row("HD frame", {1920, 1080}, 0, 1920, {1920, 1440}, {1920, 1080}, {1920, 1080});
        row("wide pixels", {720, 576}, 0.703, 1920, {768, 576}, {1024, 576}, {1024, 576});
        row("wide pixels beyond the limit", {720, 576}, 0.703, 1000, {768, 576}, {720, 405}, {720, 405});
        row("NTSC pixel shape", {720, 480}, 1.125, 1920, {720, 540}, {853, 480}, {720, 540});
        row("no frame", {0, 0}, 0, 1920, {0, 0}, {0, 0}, {0, 0});
    }
    void aspectSizes()
    {
        QFETCH(QSize, frame); QFETCH(double, pixelShape); QFETCH(int, widthLimit);
        QFETCH(QSize, fourByThree); QFETCH(QSize, sixteenByNine); QFETCH(QSize, standard);
        const AspectSizes sizes = BuildAspectSizes(frame, pixelShape, widthLimit);
        QCOMPARE(sizes[kAspectAsIs], frame);
        QCOMPARE(sizes[kAspect4x3], fourByThree);
        QCOMPARE(sizes[kAspect16x9], sixteenByNine);
        QCOMPARE(sizes[kAspectDefault], standard);
    }

    // The default thresholds; "fits" is whether 150, 200 and 300 % of the frame fit.
    void autoZoom_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("monitor");
        QTest::addColumn<int>("mainWindowWidth");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QString>("fits");
        const QSize xga(1024, 768), sxga(1280, 1024), hd(1920, 1080);
        QTest::newRow("small clip at 200 %") << QSize(320, 240) << xga << 0 << 2.0f << "yyy";
        QTest::newRow("VGA at 100 %") << QSize(640, 480) << xga << 0 << 1.0f << "ynn";
        QTest::newRow("142 %, 300 % just fits") << QSize(480, 360) << hd << 0 << 1.42f << "yyy";
        QTest::newRow("HD on SXGA") << QSize(1920, 1080) << sxga << 0 << 0.66667f << "nnn";
        QTest::newRow("4 times the monitor") << QSize(7680, 4320) << hd << 0 << 0.25f << "nnn";
        QTest::newRow("a third larger") << QSize(2560, 1440) << hd << 0 << 0.75f << "nnn";
        QTest::newRow("beside: one step down") << QSize(320, 240) << xga << 500 << 1.5f << "yyy";
        QTest::newRow("beside: down to 75 %") << QSize(320, 240) << xga << 800 << 0.75f << "yyy";
        QTest::newRow("beside: 142 % to 100 %") << QSize(480, 360) << hd << 1300 << 1.0f << "yyy";
        QTest::newRow("beside: reduced stays") << QSize(1920, 1080) << sxga << 600 << 0.66667f << "nnn";
    }
    void autoZoom()
    {
        QFETCH(QSize, frame); QFETCH(QSize, monitor); QFETCH(int, mainWindowWidth); QFETCH(float, zoom);
        QFETCH(QString, fits);
        QCOMPARE(AutoZoom(frame, frame, monitor, {32, 384, 480, 800}, mainWindowWidth), zoom);
        const std::array<bool, 3> fit = LargeZoomsFit(frame, monitor);
        QCOMPARE(QString("%1%2%3").arg(fit[0] ? 'y' : 'n').arg(fit[1] ? 'y' : 'n').arg(fit[2] ? 'y' : 'n'), fits);
    }

    void fullscreenRect_data()
    {
        QTest::addColumn<QSize>("aspect");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QSize>("monitor");
        QTest::addColumn<double>("overscan");
        QTest::addColumn<QRect>("expected");
        const QSize vga(640, 480), hd(1920, 1080), wuxga(1920, 1200);
        QTest::newRow("fit 4:3 on 16:9") << vga << kFitZoom << hd << 10.0 << QRect(240, 0, 1440, 1080);
        QTest::newRow("fit 16:9 on 16:10") << hd << kFitZoom << wuxga << 10.0 << QRect(0, 60, 1920, 1080);
        QTest::newRow("overscan 16:9 on 16:10") << hd << kOverscanZoom << wuxga << 10.0 << QRect(-96, 6, 2112, 1188);
        QTest::newRow("overscan 4:3 on 16:9") << vga << kOverscanZoom << hd << 10.0 << QRect(168, -54, 1584, 1188);
        QTest::newRow("negative overscan") << hd << kOverscanZoom << hd << -20.0 << QRect(192, 108, 1536, 864);
        QTest::newRow("plain 100 % narrow") << vga << 1.0f << hd << 10.0 << QRect(640, 300, 640, 480);
        QTest::newRow("plain 50 % wide") << hd << 0.5f << wuxga << 10.0 << QRect(480, 330, 960, 540);
        QTest::newRow("no picture") << QSize(0, 0) << kFitZoom << hd << 10.0 << QRect();
    }
    void fullscreenRect()
    {
        QFETCH(QSize, aspect); QFETCH(float, zoom); QFETCH(QSize, monitor); QFETCH(double, overscan);
        QFETCH(QRect, expected);
        QCOMPARE(FullscreenVideoRect(aspect, zoom, monitor, overscan), expected);
    }

    void windowMode()
    {
        QCOMPARE(VideoWindowSize(WindowedVideoSize({320, 240}, 2.0f)), QSize(641, 481));
        QCOMPARE(WindowedVideoSize({853, 480}, 1.5f), QSize(1280, 720));
        QCOMPARE(FitInVideoArea({640, 480}, {600, 400}), QRect(38, 3, 524, 393));
        QCOMPARE(FitInVideoArea({1920, 1080}, {600, 400}), QRect(2, 32, 596, 335));
        QCOMPARE(FitInVideoArea({640, 480}, {4, 7}), QRect());
    }

    // The right monitor's work area, 1920 x 1040 at x 1280.
    void placement_data()
    {
        QTest::addColumn<QRect>("mainFrame");
        QTest::addColumn<QSize>("videoWindow");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<bool>("overlaps");
        const QSize video(641, 481);
        QTest::newRow("right") << QRect(1300, 100, 600, 500) << video << QPoint(1900, 100) << false;
        QTest::newRow("left") << QRect(2400, 100, 600, 500) << video << QPoint(1759, 100) << false;
        QTest::newRow("over, at the right edge") << QRect(1800, 100, 800, 500) << QSize(1000, 600) << QPoint(2200, 100) << true;
        QTest::newRow("over, wider than the monitor") << QRect(1800, 100, 800, 500) << QSize(2000, 600) << QPoint(1280, 100) << true;
        QTest::newRow("kept above the bottom") << QRect(1300, 800, 600, 500) << video << QPoint(1900, 559) << false;
        QTest::newRow("taller: centred") << QRect(1300, 100, 600, 500) << QSize(641, 1201) << QPoint(1900, -80) << false;
    }
    void placement()
    {
        QFETCH(QRect, mainFrame); QFETCH(QSize, videoWindow); QFETCH(QPoint, topLeft); QFETCH(bool, overlaps);
        const VideoPlacement p = PlaceBesideMainWindow(mainFrame, videoWindow, QRect(1280, 0, 1920, 1040));
        QCOMPARE(p.topLeft, topLeft);
        QCOMPARE(p.overlapsMainWindow, overlaps);
    }

    // Left 1280 x 1024, right 1920 x 1080 beside it; the right one is primary.
    void monitorOfRect_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("monitor");
        QTest::newRow("mostly right") << QRect(1000, 0, 600, 400) << 1;
        QTest::newRow("mostly left") << QRect(900, 0, 600, 400) << 0;
        QTest::newRow("touching the border") << QRect(1180, 0, 100, 100) << 0;
        QTest::newRow("a tie: the first") << QRect(1180, 0, 200, 100) << 0;
        QTest::newRow("none: primary") << QRect(4000, 0, 100, 100) << 1;
    }
    void monitorOfRect()
    {
        QFETCH(QRect, rect); QFETCH(int, monitor);
        QCOMPARE(MonitorOfRect(rect, {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)}, 1), monitor);
    }

    void railZone_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("zone");
        QTest::newRow("HD") << 1080 << 96 << 180;
        QTest::newRow("600") << 600 << 96 << 100;
        QTest::newRow("small: the minimum") << 240 << 96 << 48;
        QTest::newRow("small at 192 dpi") << 240 << 192 << 96;
    }
    void railZone()
    {
        QFETCH(int, height); QFETCH(int, dpi); QFETCH(int, zone);
        QCOMPARE(RailZoneHeight(height, dpi), zone);
    }

    void fullscreenRail()
    {
        const QRect right(1280, 0, 1920, 1080);
        QVERIFY(InRailZone({1500, 900}, right, 96));
        QVERIFY(!InRailZone({1500, 899}, right, 96));
        QVERIFY(!InRailZone({100, 1000}, right, 96));  // the other monitor's bottom
        QCOMPARE(FullscreenRailRect(right, {600, 40}), QRect(1940, 1036, 600, 40));
    }
};

QTEST_APPLESS_MAIN(TestVideoLayout)
#include "tst_video_layout.moc"
