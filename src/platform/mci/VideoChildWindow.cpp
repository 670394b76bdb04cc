#include "platform/mci/VideoChildWindow.h"

#include "platform/desktop/QtXcb.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vistrel::mci {

namespace {

// Checks a request at once, so that its error (a window that went away) is freed here
// instead of being logged by Qt's event handler.
bool Succeeded(xcb_connection_t* connection, xcb_void_cookie_t cookie)
{
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    std::free(error);
    return error == nullptr;
}

struct ParentGeometry {
    uint16_t width = 1;
    uint16_t height = 1;
};

bool ReadParentGeometry(xcb_connection_t* connection, xcb_window_t parent, ParentGeometry& out)
{
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, parent), &error);
    std::free(error);
    if (!reply)
        return false;
    out.width = std::max<uint16_t>(1, reply->width);
    out.height = std::max<uint16_t>(1, reply->height);
    std::free(reply);
    return true;
}

bool HasExtension(xcb_connection_t* connection, const char* name)
{
    const xcb_query_extension_cookie_t cookie =
        xcb_query_extension(connection, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_generic_error_t* error = nullptr;
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(connection, cookie, &error);
    std::free(error);
    const bool present = reply && reply->present;
    std::free(reply);
    return present;
}

// No background: mapped before mpv draws, it shows the parent's picture meanwhile.
// Mapped from the start: mpv's X11 output maps its own window inside the engine window
// while the file loads, and that window stays unmapped when its parent is not mapped by then.
xcb_window_t CreateMappedWindow(xcb_connection_t* connection, xcb_window_t parent, const ParentGeometry& size)
{
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0};
    const xcb_void_cookie_t cookie = xcb_create_window_checked(
        connection, XCB_COPY_FROM_PARENT, window, parent, 0, 0, size.width, size.height, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
    if (!Succeeded(connection, cookie))
        return XCB_NONE;
    Succeeded(connection, xcb_map_window_checked(connection, window));
    return window;
}

void ConfigureWindow(xcb_connection_t* connection, WindowHandle window, uint16_t mask, const uint32_t* values)
{
    Succeeded(connection, xcb_configure_window_checked(connection, static_cast<xcb_window_t>(window), mask, values));
}

}  // namespace

bool XServerHasDirectRendering()
{
    static const bool direct = [] {
        xcb_connection_t* connection = QtXcbConnection();
        return connection && (HasExtension(connection, "DRI3") || HasExtension(connection, "DRI2"));
    }();
    return direct;
}

std::unique_ptr<VideoChildWindow> VideoChildWindow::Create(WindowHandle parent)
{
    xcb_connection_t* connection = QtXcbConnection();
    if (!connection || parent == 0 || parent > UINT32_MAX)
        return nullptr;
    ParentGeometry geometry;
    if (!ReadParentGeometry(connection, static_cast<xcb_window_t>(parent), geometry))
        return nullptr;
    const xcb_window_t outer = CreateMappedWindow(connection, static_cast<xcb_window_t>(parent), geometry);
    if (outer == XCB_NONE)
        return nullptr;
    auto created = std::unique_ptr<VideoChildWindow>(new VideoChildWindow(outer));
    created->engineId_ = CreateMappedWindow(connection, outer, geometry);
    return created->engineId_ == XCB_NONE ? nullptr : std::move(created);
}

VideoChildWindow::~VideoChildWindow()
{
    // The parent may have gone first, taking this window with it: the error is dropped.
    if (xcb_connection_t* connection = QtXcbConnection())
        Succeeded(connection, xcb_destroy_window_checked(connection, static_cast<xcb_window_t>(id_)));
}

void VideoChildWindow::hide()
{
    if (xcb_connection_t* connection = QtXcbConnection())
        Succeeded(connection, xcb_unmap_window_checked(connection, static_cast<xcb_window_t>(id_)));
}

void VideoChildWindow::setRect(int x, int y, int width, int height)
{
    xcb_connection_t* connection = QtXcbConnection();
    if (!connection)
        return;
    const uint32_t values[] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                               static_cast<uint32_t>(std::max(1, width)), static_cast<uint32_t>(std::max(1, height))};
    const uint16_t size = XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
    ConfigureWindow(connection, id_, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | size, values);
    ConfigureWindow(connection, engineId_, size, values + 2);
}

void VideoChildWindow::reparent(WindowHandle parent, int x, int y, int width, int height)
{
    xcb_connection_t* connection = QtXcbConnection();
    if (!connection || parent == 0 || parent > UINT32_MAX)
        return;
    const xcb_void_cookie_t cookie = xcb_reparent_window_checked(
        connection, static_cast<xcb_window_t>(id_), static_cast<xcb_window_t>(parent), static_cast<int16_t>(x),
        static_cast<int16_t>(y));
    if (Succeeded(connection, cookie))
        setRect(x, y, width, height);
}

}  // namespace vistrel::mci
