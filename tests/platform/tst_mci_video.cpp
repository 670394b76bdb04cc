// The MCI service's video windows under X11 (Xvfb): a native child of the "parent" window, sized to it,
// moved by mciSetVideoWindowRect and into another window by mciSetVideoWindowParent, mapped only for
// files with video, gone after close.
#include "e2e/X11Client.h"
#include "platform/mci/MciService.h"
#include "platform/mci/SpareEngine.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <QtTest>

using namespace vistrel;
using test::Demo;

namespace {

MciError Send(const std::string& command) { std::string reply; return mciSendString(command, reply); }

std::string OpenChild(const std::string& file, const std::string& alias, WindowHandle parent)
{
    return "open \"" + file + "\" alias " + alias + "  style child parent " + std::to_string(parent);
}

QImage Picture(const QWindow& window) { return QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage(); }

// The test card's red and cyan bars at the bottom of a 320x240 picture.
bool ShowsColourBars(const QImage& picture)
{
    const QColor red = picture.pixelColor(25, 230), cyan = picture.pixelColor(295, 230);
    return red.red() > 200 && red.green() < 60 && cyan.red() < 60 && cyan.green() > 200 && cyan.blue() > 200;
}

}  // namespace

class TestMciVideo : public QObject {
    Q_OBJECT

    QWindow parent_, other_;
    test::X11Client x_;

    std::vector<uint32_t> Children() { return x_.Children(uint32_t(parent_.winId())); }
    // "x,y wxh" inside the parent, and " shown" when the window is viewable.
    QString Placement(WindowHandle w)
    {
        const auto g = x_.Geometry(uint32_t(w)), p = x_.Geometry(uint32_t(parent_.winId()));
        return g && p ? QString("%1,%2 %3x%4").arg(g->x - p->x).arg(g->y - p->y).arg(g->width).arg(g->height) +
                            (g->viewable ? " shown" : "")
                      : "gone";
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb" && x_.Connected(), "needs an X server: run through ./test.sh (xvfb-run)");
        for (const auto& [window, x] : {std::pair(&parent_, 40), std::pair(&other_, 400)}) {
            window->setGeometry(x, 40, 320, 240);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
        }
    }

    void cleanup() { mciCloseAll(); }

    // On an engine made at the open, and on the one made ahead of it, whose window is given
    // only when the open takes it.
    void videoGoesIntoAChildOfTheParent_data()
    {
        QTest::addColumn<bool>("madeAhead");
        QTest::newRow("made at the open") << false;
        QTest::newRow("made ahead") << true;
    }

    void videoGoesIntoAChildOfTheParent()
    {
        QFETCH(bool, madeAhead);
        if (madeAhead) {
            QCOMPARE(Send(OpenChild(Demo("mandelbrot.mkv"), "earlier", parent_.winId())), 0u);
            QCOMPARE(Send("close earlier"), 0u);
            QTRY_VERIFY(mci::SpareEngineReady({.video = true, .untimed = false}));
        } else {
            QVERIFY(!mci::SpareEngineReady({.video = true, .untimed = false}));
        }
        QCOMPARE(Send(OpenChild(Demo("vistrel_testcard.mp4"), "voice1", parent_.winId())), 0u);
        std::string reply;
        QCOMPARE(mciSendString("status voice1 window handle", reply), 0u);
        const WindowHandle child = std::stoull(reply);
        QCOMPARE(Children(), std::vector<uint32_t>{uint32_t(child)});
        QCOMPARE(Placement(child), QString("0,0 320x240 shown"));
        mciSetVideoWindowRect(child, 10, 20, 200, 150);
        QCOMPARE(Placement(child), QString("10,20 200x150 shown"));
        // Into another window, where the open title shows its picture and plays on.
        mciSetVideoWindowParent(child, other_.winId(), 0, 0, 320, 240);
        QCOMPARE(x_.Children(uint32_t(other_.winId())), std::vector<uint32_t>{uint32_t(child)});
        QVERIFY(Children().empty());
        QTRY_VERIFY(ShowsColourBars(Picture(other_)));
        const QImage firstFrame = Picture(other_);
        QCOMPARE(Send("play voice1"), 0u);
        QTRY_VERIFY(Picture(other_) != firstFrame);
        QCOMPARE(Send("close voice1"), 0u);
        QVERIFY(x_.Children(uint32_t(other_.winId())).empty());
        mciSetVideoWindowRect(child, 0, 0, 10, 10);  // gone: nothing happens
    }

    void noWindowShowsWithoutVideoOrParent()
    {
        const std::string song = test::Fixture("mp3_cbr_128k.mp3"), parent = std::to_string(parent_.winId());
        QCOMPARE(Send("open \"" + song + "\" alias sound  parent " + parent + "  style child"), 0u);
        QCOMPARE(Send("open \"" + Demo("vistrel_testcard.mp4") + "\" alias unparented "), 0u);
        QCOMPARE(Send(OpenChild(Demo("vistrel_testcard.mp4"), "misparented", 4000000000)), MCIERR_CREATEWINDOW);
        QCOMPARE(Send("status sound window handle"), MCIERR_NO_WINDOW);
        QCOMPARE(Send("status unparented window handle"), MCIERR_NO_WINDOW);
        QCOMPARE(Send("status misparented mode"), MCIERR_INVALID_DEVICE_NAME);
        for (const uint32_t child : Children())
            QVERIFY(!Placement(child).endsWith("shown"));
    }

    // Closing every device, playing or not, takes their windows from the parent.
    void closeAllTakesEveryWindow()
    {
        QCOMPARE(Send(OpenChild(Demo("vistrel_testcard.mp4"), "a", parent_.winId())), 0u);
        QCOMPARE(Send(OpenChild(Demo("mandelbrot.mkv"), "b", parent_.winId())), 0u);
        QCOMPARE(Children().size(), size_t{2});
        QCOMPARE(Send("play a"), 0u);
        mciCloseAll();
        QVERIFY(Children().empty());
    }
};

QTEST_MAIN(TestMciVideo)
#include "tst_mci_video.moc"
