// The separate video window in-process with real mpv, on a display of two monitors
// (two_monitors.sh: LEFT 1280x1024 at 0,0, RIGHT 1920x1080 at 1280,0): the test card plays
// beside the main window on the main window's monitor, a double click takes it fullscreen
// there and Escape brings it back, the fullscreen rail and the pointer follow the pointer,
// a right click opens the video menu, and a move of the main window takes the video along.
// Places are read from the X server, pixels from a grab of the root window; the pointer
// and the keys go through the server (xdotool).
#include "app/MainMenus.h"
#include "e2e/ScreenPixels.h"
#include "e2e/X11Client.h"
#include "support/MainWindowFixture.h"
#include "video/VideoPresenter.h"
#include "video/VideoWindow.h"

#include <QCheckBox>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace vistrel;

namespace {

constexpr int kWaitMs = 20000;
const QRect kLeft(0, 0, 1280, 1024), kRight(1280, 0, 1920, 1080);
const QPoint kMainOnRight = kRight.topLeft() + QPoint(40, 60);
// The 320x240 test card at 200 % on RIGHT, in a window one pixel larger each way.
const QSize kWindowedPicture(640, 480), kWindowedVideo(641, 481);
// The test card fitted to RIGHT: 4:3 at full height, black bars of 240 px left and right.
const QRect kFullscreenPicture(kRight.x() + 240, 0, 1440, 1080);
const QRect kLeftBar(kRight.x(), 0, 240, 1080), kRightBar(kFullscreenPicture.right() + 1, 0, 240, 1080);
// RIGHT's bottom zone, where the fullscreen rail shows, is its lowest 180 pixels.
const int kInRailZoneY = kRight.bottom() - 170, kAboveRailZoneY = kRight.bottom() - 200;

// Unlike QTRY a failed wait is not tried again for twice as long: a broken program fails in time.
#define WAIT_VERIFY2(condition, message) QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, kWaitMs), message)

// Input through the X server; our event loop runs meanwhile to receive it.
void Xdotool(const QStringList& args)
{
    QProcess xdotool;
    xdotool.start("xdotool", args);
    if (!QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, kWaitMs))
        xdotool.kill();
    xdotool.waitForFinished(1000);
}

QStringList MoveTo(QPoint p) { return {"mousemove", QString::number(p.x()), QString::number(p.y())}; }
void MovePointer(QPoint to) { Xdotool(MoveTo(to)); }
void Click(QPoint at, int button, int times = 1, int delayMs = 100)
{
    Xdotool(MoveTo(at) << "click" << "--repeat" << QString::number(times) << "--delay" << QString::number(delayMs)
                       << QString::number(button));
}

QByteArray Text(const QRect& r) { return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toUtf8(); }

}  // namespace

class TestE2eVideo : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;
    test::X11Client x11_;
    std::unique_ptr<MainWindow> window_;

    video::VideoPresenter& Video() const { return window_->Video(); }
    QWidget* Rail() const { return Video().Window().findChild<QWidget*>("fullscreenRail"); }

    QRect XRect(uint32_t window)  // empty unless shown
    {
        const auto g = x11_.Geometry(window);
        return g && g->viewable ? QRect(g->x, g->y, g->width, g->height) : QRect();
    }
    uint32_t VideoWindowId()  // 0 unless exactly one window titled "Video" is shown
    {
        const std::vector<uint32_t> shown = x11_.ShownWindows("Video");
        return shown.size() == 1 ? shown[0] : 0;
    }
    QRect VideoWindowRect() { return XRect(VideoWindowId()); }
    // mpv's window inside the video window: its shown child that is not the rail.
    QRect PictureRect()
    {
        for (const uint32_t child : x11_.Children(VideoWindowId()))
            if (child != Rail()->internalWinId() && XRect(child).isValid())
                return XRect(child);
        return {};
    }
    // Where the video window stands in window mode: beside the main window, tops aligned.
    QRect Beside(bool rightOfIt = true)
    {
        const QRect main = XRect(window_->winId());
        return QRect(rightOfIt ? main.topRight() + QPoint(1, 0) : main.topLeft() - QPoint(kWindowedVideo.width(), 0),
                     kWindowedVideo);
    }
    QByteArray Where() { return "video " + Text(VideoWindowRect()) + ", main " + Text(XRect(window_->winId())); }

    void VerifyBeside()
    {
        WAIT_VERIFY2(!Video().Fullscreen() && VideoWindowRect() == Beside(), Where().constData());
        WAIT_VERIFY2(PictureRect().size() == kWindowedPicture && VideoWindowRect().contains(PictureRect()),
                     Text(PictureRect()).constData());
    }

    // The video window covers RIGHT; the colour bars fill the fitted picture, the bars
    // beside it are black.
    void VerifyFullscreen()
    {
        WAIT_VERIFY2(Video().Fullscreen() && VideoWindowRect() == kRight, Where().constData());
        WAIT_VERIFY2(PictureRect() == kFullscreenPicture, Text(PictureRect()).constData());
        WAIT_VERIFY2(test::SaturatedColoursOnScreen(kFullscreenPicture) >= 4, "no colour bars in the picture");
        WAIT_VERIFY2(test::LitPixelsOnScreen(kLeftBar) + test::LitPixelsOnScreen(kRightBar) == 0,
                     "the bars beside the picture are not black");
    }

    void GoFullscreen()
    {
        Click(VideoWindowRect().center(), 1, 2);
        VerifyFullscreen();
    }

private slots:
    // The main window moves onto RIGHT and plays the test card (looped, so that it lasts).
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb" && x11_.Connected(), "run through ./test.sh");
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens << screen->geometry();
        QCOMPARE(screens, (QList<QRect>{kLeft, kRight}));
        window_ = fixture_.Show("UseMCI=1\n", VISTREL_SOURCE_DIR "/demo");
        window_->move(kMainOnRight);
        WAIT_VERIFY2(XRect(window_->winId()).topLeft() == kMainOnRight, Where().constData());
        if (!window_->Controls().loopCheck->isChecked())
            window_->Controls().loopCheck->click();
        const QListView* files = window_->Controls().fileList;
        const int row = files->model()->match(files->model()->index(0, 0), Qt::DisplayRole, "vistrel_testcard.mp4")
                            .value(0).row();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, test::RowRect(*window_, row).center());
        WAIT_VERIFY2(VideoWindowId() != 0, "no video window");
        QVERIFY(Rail());
    }

    void cleanup()  // a failed case leaves no fullscreen behind
    {
        if (Video().Fullscreen())
            Video().DisableFullscreen();
    }

    void cleanupTestCase() { if (window_) window_->close(); }

    // The test card at 200 % beside the main window on RIGHT, showing its colour bars.
    void videoStandsBesideTheMainWindow()
    {
        VerifyBeside();
        QVERIFY2(kRight.contains(VideoWindowRect()), Where().constData());
        WAIT_VERIFY2(test::SaturatedColoursOnScreen(PictureRect()) >= 4, "no colour bars");
    }

    // Two presses 100 ms apart go fullscreen on the main window's monitor and Escape comes
    // back beside the main window; presses 400 ms apart are no double click.
    void doubleClickGoesFullscreen_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("fullscreen");
        QTest::newRow("400 ms apart") << 400 << false;
        QTest::newRow("100 ms apart") << 100 << true;
    }
    void doubleClickGoesFullscreen()
    {
        QFETCH(int, delayMs);
        QFETCH(bool, fullscreen);
        Click(VideoWindowRect().center(), 1, 2, delayMs);
        if (!fullscreen) {
            QTest::qWait(300);  // six ticks of the pointer timer
            QVERIFY2(!Video().Fullscreen() && VideoWindowRect() == Beside(), Where().constData());
            return;
        }
        VerifyFullscreen();
        Xdotool({"key", "Escape"});
        VerifyBeside();
    }

    // In fullscreen the bottom zone brings up the rail above the picture and leaving the zone
    // hides it; the pointer resting over the video goes blank and a move of 5 px draws it
    // again. In window mode the pointer stays drawn (neither we nor mpv hide it).
    void pointerAndRail_data()
    {
        QTest::addColumn<bool>("fullscreen");
        QTest::newRow("fullscreen") << true;
        QTest::newRow("window") << false;
    }
    void pointerAndRail()
    {
        QFETCH(bool, fullscreen);
        const QPoint centre = VideoWindowRect().center();
        if (fullscreen) {
            GoFullscreen();
            MovePointer({kRight.center().x(), kInRailZoneY});
            // Shown and the top child of the video window: mpv's window does not cover it.
            WAIT_VERIFY2(Rail()->isVisible() && x11_.Children(VideoWindowId()).back() == Rail()->internalWinId(),
                         "no rail in the bottom zone");
            MovePointer({kRight.center().x(), kAboveRailZoneY});
            WAIT_VERIFY2(!Rail()->isVisible(), "the rail stayed above the zone");
        }
        MovePointer(centre);
        if (fullscreen) {
            WAIT_VERIFY2(x11_.CursorBlank() == true, "the pointer stayed drawn at rest");
        } else {
            QTest::qWait(1500);  // beyond our half second and mpv's own one second
            QVERIFY2(x11_.CursorBlank() == false, "the pointer went blank in window mode");
        }
        MovePointer(centre + QPoint(5, 0));
        WAIT_VERIFY2(x11_.CursorBlank() == false, "the pointer stayed blank after a move");
        if (fullscreen) {
            Xdotool({"key", "Escape"});
            VerifyBeside();
        }
    }

    // A right press on the video opens the video menu at the pointer. The menu is read and
    // closed from a timer, whether it runs its own event loop or not.
    void rightClickOpensTheVideoMenu()
    {
        QMenu* menu = window_->Menus().videoMenu;
        QPoint shownAt(-1, -1);
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (menu->isVisible()) {
                shownAt = menu->pos();
                menu->close();
            }
        });
        closer.start(50);
        const QPoint at = VideoWindowRect().center();
        Click(at, 3);
        WAIT_VERIFY2(shownAt != QPoint(-1, -1), "no video menu");
        QCOMPARE(shownAt, at);
    }

    // A move of the main window takes the video window along: onto LEFT, where the main
    // window (mostly on LEFT) leaves room only on its left, and back onto RIGHT.
    void movingTheMainWindowMovesTheVideo_data()
    {
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("monitor");
        QTest::addColumn<bool>("rightOfIt");
        QTest::newRow("onto LEFT") << QPoint(660, 100) << kLeft << false;
        QTest::newRow("back onto RIGHT") << kMainOnRight << kRight << true;
    }
    void movingTheMainWindowMovesTheVideo()
    {
        QFETCH(QPoint, to);
        QFETCH(QRect, monitor);
        QFETCH(bool, rightOfIt);
        window_->move(to);
        WAIT_VERIFY2(XRect(window_->winId()).topLeft() == to && VideoWindowRect() == Beside(rightOfIt)
                         && monitor.contains(VideoWindowRect()), Where().constData());
    }

    // Stop in fullscreen leaves fullscreen and hides the video window.
    void stopInFullscreenHidesTheVideo()
    {
        GoFullscreen();
        QTest::mouseClick(window_->Controls().playButtons[2], Qt::LeftButton);
        WAIT_VERIFY2(!Video().Fullscreen() && x11_.ShownWindows("Video").empty(), "the video window stayed");
    }
};

QTEST_MAIN(TestE2eVideo)
#include "tst_e2e_video.moc"
