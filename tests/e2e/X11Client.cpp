#include "e2e/X11Client.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vistrel::test {

template <typename T>
static auto Own(T* reply)  // xcb replies are malloc'ed
{
    return std::unique_ptr<T, decltype(&std::free)>(reply, &std::free);
}

// Xvfb has one screen.
X11Client::X11Client() : connection_(xcb_connect(nullptr, nullptr))
{
    if (!xcb_connection_has_error(connection_))
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

X11Client::~X11Client() { xcb_disconnect(connection_); }

bool X11Client::Connected() const { return !xcb_connection_has_error(connection_) && root_ != 0; }

uint32_t X11Client::Atom(const char* name)
{
    const auto cookie = xcb_intern_atom(connection_, 0, std::strlen(name), name);
    const auto reply = Own(xcb_intern_atom_reply(connection_, cookie, nullptr));
    return reply ? reply->atom : 0;
}

// Without a window manager the top-level windows are the root window's children.
std::vector<uint32_t> X11Client::ShownWindows(const std::string& name)
{
    xcb_connection_t* c = connection_;
    std::vector<uint32_t> shown;
    for (const uint32_t window : Children(root_)) {
        const auto cookie = xcb_get_property(c, 0, window, Atom("_NET_WM_NAME"), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
        const auto title = Own(xcb_get_property_reply(c, cookie, nullptr));
        const auto geometry = Geometry(window);
        if (title && geometry && geometry->viewable
            && std::string_view(static_cast<const char*>(xcb_get_property_value(title.get())),
                                xcb_get_property_value_length(title.get())) == name)
            shown.push_back(window);
    }
    return shown;
}

std::vector<uint32_t> X11Client::Children(uint32_t parent)
{
    const auto tree = Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, parent), nullptr));
    const xcb_window_t* list = tree ? xcb_query_tree_children(tree.get()) : nullptr;
    return {list, list + (tree ? xcb_query_tree_children_length(tree.get()) : 0)};
}

std::optional<X11Geometry> X11Client::Geometry(uint32_t window)
{
    xcb_connection_t* c = connection_;
    const auto size = Own(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const auto attrs = Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    const auto at = Own(xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root_, 0, 0), nullptr));
    if (!size || !attrs || !at)
        return std::nullopt;
    return X11Geometry{at->dst_x, at->dst_y, size->width, size->height, attrs->map_state == XCB_MAP_STATE_VIEWABLE};
}

void X11Client::RequestClose(uint32_t window)
{
    xcb_client_message_event_t event{XCB_CLIENT_MESSAGE, 32, 0, window, Atom("WM_PROTOCOLS"), {}};
    event.data.data32[0] = Atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
}

std::optional<bool> X11Client::CursorBlank()
{
    xcb_connection_t* c = connection_;
    // XFixes answers only clients that have told it their version.
    if (!Own(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr)))
        return std::nullopt;
    const auto image = Own(xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr));
    if (!image)
        return std::nullopt;
    const uint32_t* argb = xcb_xfixes_get_cursor_image_cursor_image(image.get());
    return std::all_of(argb, argb + xcb_xfixes_get_cursor_image_cursor_image_length(image.get()),
                       [](uint32_t pixel) { return pixel >> 24 == 0; });
}

}  // namespace vistrel::test
