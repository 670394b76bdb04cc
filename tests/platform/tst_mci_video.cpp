// The MCI service's video windows under X11 (Xvfb): a native child of the "parent" window, sized to it,
// moved by mciSetVideoWindowRect, mapped only for files with video, gone after close.
#include "platform/mci/MciService.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtTest>
#include <xcb/xcb.h>

#include <cstdlib>

using namespace vistrel;
using test::Demo;

namespace {

xcb_connection_t* X() { return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection(); }

// An xcb reply, freed on every path.
template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> Owned(Reply* reply)
{
    return {reply, &std::free};
}

std::vector<xcb_window_t> Children(WindowHandle parent)
{
    const auto tree = Owned(xcb_query_tree_reply(X(), xcb_query_tree(X(), uint32_t(parent)), nullptr));
    const xcb_window_t* list = tree ? xcb_query_tree_children(tree.get()) : nullptr;
    return {list, list + (tree ? xcb_query_tree_children_length(tree.get()) : 0)};
}

// "x,y wxh", and " shown" when the window is viewable.
QString Placement(WindowHandle w)
{
    const auto g = Owned(xcb_get_geometry_reply(X(), xcb_get_geometry(X(), uint32_t(w)), nullptr));
    const auto a = Owned(xcb_get_window_attributes_reply(X(), xcb_get_window_attributes(X(), uint32_t(w)), nullptr));
    return g && a ? QString("%1,%2 %3x%4").arg(g->x).arg(g->y).arg(g->width).arg(g->height) +
                        (a->map_state == XCB_MAP_STATE_VIEWABLE ? " shown" : "")
                  : "gone";
}

MciError Send(const std::string& command) { std::string reply; return mciSendString(command, reply); }

std::string OpenChild(const std::string& file, const std::string& alias, WindowHandle parent)
{
    return "open \"" + file + "\" alias " + alias + "  style child parent " + std::to_string(parent);
}

}  // namespace

class TestMciVideo : public QObject {
    Q_OBJECT

    QWindow parent_;

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "needs an X server: run through ./test.sh (xvfb-run)");
        parent_.setGeometry(40, 40, 320, 240);
        parent_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent_));
    }

    void cleanup() { mciCloseAll(); }

    void videoGoesIntoAChildOfTheParent()
    {
        QCOMPARE(Send(OpenChild(Demo("vistrel_testcard.mp4"), "voice1", parent_.winId())), 0u);
        std::string reply;
        QCOMPARE(mciSendString("status voice1 window handle", reply), 0u);
        const WindowHandle child = std::stoull(reply);
        QCOMPARE(Children(parent_.winId()), std::vector<xcb_window_t>{xcb_window_t(child)});
        QCOMPARE(Placement(child), QString("0,0 320x240 shown"));
        mciSetVideoWindowRect(child, 10, 20, 200, 150);
        QCOMPARE(Placement(child), QString("10,20 200x150 shown"));
        QCOMPARE(Send("close voice1"), 0u);
        QVERIFY(Children(parent_.winId()).empty());
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
        for (xcb_window_t child : Children(parent_.winId()))
            QVERIFY(!Placement(child).endsWith("shown"));
    }

    // Closing every device, playing or not, takes their windows from the parent.
    void closeAllTakesEveryWindow()
    {
        QCOMPARE(Send(OpenChild(Demo("vistrel_testcard.mp4"), "a", parent_.winId())), 0u);
        QCOMPARE(Send(OpenChild(Demo("mandelbrot.mkv"), "b", parent_.winId())), 0u);
        QCOMPARE(Children(parent_.winId()).size(), size_t{2});
        QCOMPARE(Send("play a"), 0u);
        mciCloseAll();
        QVERIFY(Children(parent_.winId()).empty());
    }
};

QTEST_MAIN(TestMciVideo)
#include "tst_mci_video.moc"
