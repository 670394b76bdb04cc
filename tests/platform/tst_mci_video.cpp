// The MCI service's video windows under X11: a native child of the "parent" window, sized
// to it, moved by mciSetVideoWindowRect, mapped only for files with video, gone after
// close. Runs under Xvfb (label e2e).
#include "platform/mci/MciService.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWindow>
#include <QtTest>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

using namespace vistrel;
using test::Demo;
using test::Fixture;

namespace {

xcb_connection_t* X()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// An xcb reply, freed on every path.
template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> Owned(Reply* reply)
{
    return {reply, &std::free};
}

std::vector<xcb_window_t> Children(WindowHandle parent)
{
    const auto tree = Owned(xcb_query_tree_reply(X(), xcb_query_tree(X(), xcb_window_t(parent)), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* list = xcb_query_tree_children(tree.get());
    return {list, list + xcb_query_tree_children_length(tree.get())};
}

QRect Geometry(WindowHandle window)
{
    const auto r = Owned(xcb_get_geometry_reply(X(), xcb_get_geometry(X(), xcb_window_t(window)), nullptr));
    return r ? QRect(r->x, r->y, r->width, r->height) : QRect();
}

bool Viewable(WindowHandle window)
{
    const auto r = Owned(xcb_get_window_attributes_reply(X(), xcb_get_window_attributes(X(), xcb_window_t(window)), nullptr));
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

MciError Code(const std::string& command)
{
    std::string reply;
    return mciSendString(command, reply);
}

MciError Open(const std::string& file, const std::string& alias, const std::string& clause)
{
    return Code("open \"" + file + "\" alias " + alias + clause);
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
        QCOMPARE(Open(Demo("vistrel_testcard.mp4"), "voice1", "  style child parent " + parent + " "), 0u);
        std::string reply;
        QCOMPARE(mciSendString("status voice1 window handle", reply), 0u);
        const WindowHandle child = std::stoull(reply);
        QVERIFY(child != 0 && child != parent_.winId());
        QCOMPARE(Children(parent_.winId()), std::vector<xcb_window_t>{xcb_window_t(child)});
        QCOMPARE(Geometry(child), QRect(0, 0, 320, 240));
        QVERIFY(Viewable(child));

        mciSetVideoWindowRect(child, 10, 20, 200, 150);
        QCOMPARE(Geometry(child), QRect(10, 20, 200, 150));

        QCOMPARE(Code("play voice1 from 1000 to 2000"), 0u);
        QTRY_VERIFY_WITH_TIMEOUT(ColouredPixels(parent_) > 100, 5000);  // the test card shows
        QCOMPARE(Code("close voice1"), 0u);
        QVERIFY(Children(parent_.winId()).empty());
        mciSetVideoWindowRect(child, 0, 0, 10, 10);  // gone: nothing happens
    }

    void noWindowShowsWithoutVideoOrParent()
    {
        const std::string parent = std::to_string(parent_.winId());
        QCOMPARE(Open(Fixture("mp3_cbr_128k.mp3"), "sound", "  parent " + parent + "  style child"), 0u);
        QCOMPARE(Open(Demo("vistrel_testcard.mp4"), "unparented", " "), 0u);
        QCOMPARE(Open(Demo("vistrel_testcard.mp4"), "misparented", " style child parent 4000000000"),
                 MCIERR_CREATEWINDOW);
        QCOMPARE(Code("status sound window handle"), MCIERR_NO_WINDOW);
        QCOMPARE(Code("status unparented window handle"), MCIERR_NO_WINDOW);
        QCOMPARE(Code("status misparented mode"), MCIERR_INVALID_DEVICE_NAME);
        for (xcb_window_t child : Children(parent_.winId()))
            QVERIFY(!Viewable(child));
    }

    void closeAllBeforeTheParentGoes()
    {
        QWindow parent;
        parent.resize(64, 48);
        parent.create();
        const std::string id = std::to_string(parent.winId());
        QCOMPARE(Open(Demo("vistrel_testcard.mp4"), "a", " style child parent " + id), 0u);
        QCOMPARE(Open(Demo("mandelbrot.mkv"), "b", " style child parent " + id), 0u);
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
