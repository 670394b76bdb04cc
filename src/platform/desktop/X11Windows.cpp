#include "platform/desktop/X11Windows.h"

#include "platform/desktop/QtXcb.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace vistrel {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
// Every xcb reply is owned by one of these, so it is freed on every path.
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

// A request's reply. An error (a window that went away meanwhile) is freed here rather than
// left in Qt's event queue, where it would be logged as an XCB error.
template <class T, class Cookie>
Reply<T> Take(T* (*replyOf)(xcb_connection_t*, Cookie, xcb_generic_error_t**), xcb_connection_t* connection,
              Cookie cookie)
{
    xcb_generic_error_t* error = nullptr;
    Reply<T> reply(replyOf(connection, cookie, &error));
    std::free(error);
    return reply;
}

struct X11 {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t netClientList = XCB_ATOM_NONE;
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t netFrameExtents = XCB_ATOM_NONE;
};

constexpr uint32_t kMaxPropertyLongs = 1u << 16;

// The root window of the screen named by DISPLAY, as Qt opened it.
xcb_window_t DefaultRoot(xcb_connection_t* connection)
{
    int screenNumber = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screenNumber) == 0)
        screenNumber = 0;
    std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem > 1; ++i)
        xcb_screen_next(&it);
    return it.rem > 0 ? it.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

// Atoms are only looked up, never created: a missing one is XCB_ATOM_NONE.
xcb_atom_t ExistingAtom(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie)
{
    const auto reply = Take(xcb_intern_atom_reply, connection, cookie);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_intern_atom_cookie_t AskAtom(xcb_connection_t* connection, const char* name)
{
    return xcb_intern_atom(connection, 1, static_cast<uint16_t>(std::strlen(name)), name);
}

std::optional<X11> ConnectToQtDisplay()
{
    xcb_connection_t* connection = QtXcbConnection();
    if (!connection || xcb_connection_has_error(connection))
        return std::nullopt;
    X11 x;
    x.connection = connection;
    x.root = DefaultRoot(connection);
    const auto clientList = AskAtom(connection, "_NET_CLIENT_LIST");
    const auto wmName = AskAtom(connection, "_NET_WM_NAME");
    const auto frameExtents = AskAtom(connection, "_NET_FRAME_EXTENTS");
    x.netClientList = ExistingAtom(connection, clientList);
    x.netWmName = ExistingAtom(connection, wmName);
    x.netFrameExtents = ExistingAtom(connection, frameExtents);
    if (x.root == XCB_WINDOW_NONE)
        return std::nullopt;
    return x;
}

xcb_get_property_cookie_t AskProperty(const X11& x, xcb_window_t window, xcb_atom_t property)
{
    return xcb_get_property(x.connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxPropertyLongs);
}

// A property of 32-bit items (a WINDOW or CARDINAL list); none when the window lacks it.
std::optional<std::vector<uint32_t>> Property32(const X11& x, xcb_window_t window, xcb_atom_t property)
{
    if (property == XCB_ATOM_NONE)
        return std::nullopt;
    const auto reply = Take(xcb_get_property_reply, x.connection, AskProperty(x, window, property));
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 32)
        return std::nullopt;
    const auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(items, items + xcb_get_property_value_length(reply.get()) / 4);
}

// Without a window manager (plain Xvfb) nobody keeps _NET_CLIENT_LIST. The top-level
// windows are then the root's direct children; those that are viewable stand for the
// client list, in stacking order (bottom first), the order the X server keeps them in.
std::vector<xcb_window_t> ViewableRootChildren(const X11& x)
{
    const auto tree = Take(xcb_query_tree_reply, x.connection, xcb_query_tree(x.connection, x.root));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (int i = 0; i < count; ++i)
        cookies.push_back(xcb_get_window_attributes(x.connection, children[i]));
    std::vector<xcb_window_t> viewable;
    for (int i = 0; i < count; ++i) {
        const auto attributes = Take(xcb_get_window_attributes_reply, x.connection, cookies[i]);
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            viewable.push_back(children[i]);
    }
    return viewable;
}

std::vector<xcb_window_t> TopLevelWindows(const X11& x)
{
    if (const auto clients = Property32(x, x.root, x.netClientList))
        return *clients;
    return ViewableRootChildren(x);
}

// The _NET_WM_NAME (UTF-8) of every window, asked for all at once.
std::vector<std::string> Captions(const X11& x, const std::vector<xcb_window_t>& windows)
{
    std::vector<std::string> captions(windows.size());
    if (x.netWmName == XCB_ATOM_NONE)
        return captions;
    std::vector<xcb_get_property_cookie_t> cookies;
    for (const xcb_window_t window : windows)
        cookies.push_back(AskProperty(x, window, x.netWmName));
    for (size_t i = 0; i < windows.size(); ++i) {
        const auto reply = Take(xcb_get_property_reply, x.connection, cookies[i]);
        if (reply && reply->format == 8)
            captions[i].assign(static_cast<const char*>(xcb_get_property_value(reply.get())),
                               xcb_get_property_value_length(reply.get()));
    }
    return captions;
}

// The window's rectangle in root coordinates, grown by its _NET_FRAME_EXTENTS (left,
// right, top, bottom) when the window manager has set them.
std::optional<ScreenRect> FrameRect(const X11& x, xcb_window_t window)
{
    const auto originCookie = xcb_translate_coordinates(x.connection, window, x.root, 0, 0);
    const auto geometryCookie = xcb_get_geometry(x.connection, window);
    const auto origin = Take(xcb_translate_coordinates_reply, x.connection, originCookie);
    const auto geometry = Take(xcb_get_geometry_reply, x.connection, geometryCookie);
    if (!origin || !geometry)
        return std::nullopt;
    ScreenRect rect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
    const auto extents = Property32(x, window, x.netFrameExtents);
    if (extents && extents->size() >= 4) {
        const auto left = int32_t((*extents)[0]), right = int32_t((*extents)[1]);
        const auto top = int32_t((*extents)[2]), bottom = int32_t((*extents)[3]);
        rect = {rect.X - left, rect.Y - top, rect.W + left + right, rect.H + top + bottom};
    }
    return rect;
}

}  // namespace

std::vector<ScreenRect> OtherInstanceWindows(uint32_t ownWindow, const std::string& appTitle, size_t maxCount)
{
    std::vector<ScreenRect> found;
    const std::optional<X11> x = ConnectToQtDisplay();
    if (!x)
        return found;
    const std::vector<xcb_window_t> windows = TopLevelWindows(*x);
    const std::vector<std::string> captions = Captions(*x, windows);
    for (size_t i = 0; i < windows.size() && found.size() < maxCount; ++i) {
        if (windows[i] == ownWindow || !captions[i].ends_with(appTitle))
            continue;
        const std::optional<ScreenRect> rect = FrameRect(*x, windows[i]);
        if (rect && rect->W > 0 && rect->H > 0)
            found.push_back(*rect);
    }
    return found;
}

std::optional<int32_t> FrameExtentsTop(uint32_t window)
{
    const std::optional<X11> x = ConnectToQtDisplay();
    if (!x || window == XCB_WINDOW_NONE)
        return std::nullopt;
    const auto extents = Property32(*x, window, x->netFrameExtents);
    if (!extents || extents->size() < 4)
        return std::nullopt;
    return static_cast<int32_t>((*extents)[2]);
}

}  // namespace vistrel
