// The MCI service's video windows under X11 (DESIGN.md section 3, "Window handles"): a
// native child of the "parent" window, sized to it, moved by mciSetVideoWindowRect, mapped
// only for files with video, gone after close. Runs under Xvfb (label e2e).
#include "platform/mci/MciService.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWindow>
#include <QtTest>
#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

using namespace vistrel;

namespace {

xcb_connection_t* Connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

std::vector<xcb_window_t> Children(WindowHandle parent)
{
    std::vector<xcb_window_t> children;
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(Connection(), xcb_query_tree(Connection(), xcb_window_t(parent)), nullptr);
    if (tree) {
        const xcb_window_t* list = xcb_query_tree_children(tree);
        children.assign(list, list + xcb_query_tree_children_length(tree));
        std::free(tree);
    }
    return children;
}

QRect Geometry(WindowHandle window)
{
    xcb_get_geometry_reply_t* reply =
        xcb_get_geometry_reply(Connection(), xcb_get_geometry(Connection(), xcb_window_t(window)), nullptr);
    if (!reply)
        return {};
    const QRect rect(reply->x, reply->y, reply->width, reply->height);
    std::free(reply);
    return rect;
}

bool Viewable(WindowHandle window)
{
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
        Connection(), xcb_get_window_attributes(Connection(), xcb_window_t(window)), nullptr);
    if (!reply)
        return false;
    const bool viewable = reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

std::string Demo(const char* name)
{
    return std::string(VISTREL_SOURCE_DIR "/demo/") + name;
}

std::string Media(const char* name)
{
    return std::string(VISTREL_FIXTURES_DIR "/media/") + name;
}

QString Reply(const std::string& command)
{
    std::string reply;
    const MciError error = mciSendString(command, reply);
    if (error != 0)
        qWarning("'%s' failed: %u", command.c_str(), error);
    return QString::fromStdString(reply);
}

MciError Code(const std::string& command)
{
    std::string reply;
    return mciSendString(command, reply);
}

// How many pixels of the grabbed parent are far from black.
int ColouredPixels(QWindow& parent)
{
    const QImage image = parent.screen()->grabWindow(parent.winId()).toImage();
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            coloured += qGray(image.pixel(x, y)) > 60;
    }
    return coloured;
}

}  // namespace

class TestMciVideo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 "needs an X server: run through ./test.sh (xvfb-run)");
        parent_.setGeometry(40, 40, 320, 240);
        parent_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent_));
    }

    void cleanup() { mciCloseAll(); }

    void videoGoesIntoAChildOfTheParent()
    {
        const std::string parent = std::to_string(parent_.winId());
        QCOMPARE(Code("open \"" + Demo("vistrel_testcard.mp4") + "\" alias voice1  style child parent " + parent + " "),
                 0u);
        const WindowHandle child = Reply("status voice1 window handle").toULongLong();
        QVERIFY(child != 0 && child != parent_.winId());
        const std::vector<xcb_window_t> children = Children(parent_.winId());
        QVERIFY(std::find(children.begin(), children.end(), child) != children.end());
        QCOMPARE(Geometry(child), QRect(0, 0, 320, 240));
        QVERIFY(Viewable(child));

        mciSetVideoWindowRect(child, 10, 20, 200, 150);
        QCOMPARE(Geometry(child), QRect(10, 20, 200, 150));

        QCOMPARE(Code("play voice1 from 1000 to 2000"), 0u);
        QTRY_VERIFY_WITH_TIMEOUT(ColouredPixels(parent_) > 100, 5000);  // the test card shows
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 5000);
        QCOMPARE(Reply("status voice1 position"), QString("2000"));

        QCOMPARE(Code("close voice1"), 0u);
        QVERIFY(Children(parent_.winId()).empty());
        mciSetVideoWindowRect(child, 0, 0, 10, 10);  // gone: nothing happens
    }

    void audioOnlyHasNoVisibleWindow()
    {
        const std::string parent = std::to_string(parent_.winId());
        QCOMPARE(Code("open \"" + Media("mp3_cbr_128k.mp3") + "\" alias voice1  parent " + parent + "  style child"), 0u);
        QCOMPARE(Code("status voice1 window handle"), MCIERR_NO_WINDOW);
        for (xcb_window_t child : Children(parent_.winId()))
            QVERIFY(!Viewable(child));
        QCOMPARE(Code("close voice1"), 0u);
        QVERIFY(Children(parent_.winId()).empty());
    }

    void withoutParentThereIsNoWindow()
    {
        QCOMPARE(Code("open \"" + Demo("vistrel_testcard.mp4") + "\" alias voice1 "), 0u);
        QCOMPARE(Code("status voice1 window handle"), MCIERR_NO_WINDOW);
        QVERIFY(Children(parent_.winId()).empty());
    }

    void aParentThatIsNoWindowFails()
    {
        QCOMPARE(Code("open \"" + Demo("vistrel_testcard.mp4") + "\" alias voice1 style child parent 4000000000"),
                 MCIERR_CREATEWINDOW);
        QCOMPARE(Code("status voice1 mode"), MCIERR_INVALID_DEVICE_NAME);
    }

    void closeAllBeforeTheParentGoes()
    {
        QWindow parent;
        parent.resize(64, 48);
        parent.create();
        const std::string id = std::to_string(parent.winId());
        QCOMPARE(Code("open \"" + Demo("vistrel_testcard.mp4") + "\" alias a style child parent " + id), 0u);
        QCOMPARE(Code("open \"" + Demo("mandelbrot.mkv") + "\" alias b style child parent " + id), 0u);
        QCOMPARE(Children(parent.winId()).size(), size_t{2});
        QCOMPARE(Code("play a"), 0u);
        mciCloseAll();
        QVERIFY(Children(parent.winId()).empty());
    }

private:
    QWindow parent_;
};

QTEST_MAIN(TestMciVideo)
#include "tst_mci_video.moc"
