#include "e2e/X11Client.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace vistrel::test {

X11Client::X11Client()
{
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_))
        return;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    root_ = it.data->root;
}

X11Client::~X11Client()
{
    xcb_disconnect(connection_);
}

bool X11Client::Connected() const
{
    return connection_ && !xcb_connection_has_error(connection_) && root_ != 0;
}

uint32_t X11Client::Atom(const char* name)
{
    auto* reply = xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    const uint32_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
}

std::string X11Client::WindowName(uint32_t window)
{
    const auto cookie = xcb_get_property(connection_, 0, window, Atom("_NET_WM_NAME"), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    auto* reply = xcb_get_property_reply(connection_, cookie, nullptr);
    std::string name;
    if (reply && xcb_get_property_value_length(reply) > 0)
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    return name;
}

bool X11Client::Matches(uint32_t window, const Wanted& wanted)
{
    if (window == wanted.except || WindowName(window) != wanted.name)
        return false;
    if (!wanted.viewableOnly)
        return true;
    const auto geometry = Geometry(window);
    return geometry && geometry->viewable;
}

std::optional<uint32_t> X11Client::FindWindow(uint32_t parent, const Wanted& wanted)
{
    auto* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, parent), nullptr);
    if (!tree)
        return std::nullopt;
    std::optional<uint32_t> found;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        if (Matches(children[i], wanted))
            found = children[i];
        else
            found = FindWindow(children[i], wanted);
    }
    std::free(tree);
    return found;
}

std::optional<uint32_t> X11Client::WaitForWindow(const std::string& name, int timeoutMs)
{
    return WaitFor({name}, timeoutMs);
}

std::optional<uint32_t> X11Client::WaitForShownWindow(const std::string& name, int timeoutMs, uint32_t except)
{
    return WaitFor({name, except, true}, timeoutMs);
}

std::optional<uint32_t> X11Client::WaitFor(const Wanted& wanted, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (const auto window = FindWindow(root_, wanted))
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::nullopt;
}

std::optional<X11Geometry> X11Client::Geometry(uint32_t window)
{
    auto* geo = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    auto* attrs = xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr);
    std::optional<X11Geometry> result;
    if (geo && attrs)
        result = X11Geometry{geo->x, geo->y, geo->width, geo->height, attrs->map_state == XCB_MAP_STATE_VIEWABLE};
    std::free(geo);
    std::free(attrs);
    return result;
}

std::optional<X11Point> X11Client::RootPosition(uint32_t window)
{
    const auto cookie = xcb_translate_coordinates(connection_, window, root_, 0, 0);
    auto* reply = xcb_translate_coordinates_reply(connection_, cookie, nullptr);
    std::optional<X11Point> position;
    if (reply)
        position = X11Point{reply->dst_x, reply->dst_y};
    std::free(reply);
    return position;
}

void X11Client::RequestClose(uint32_t window)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom("WM_PROTOCOLS");
    event.data.data32[0] = Atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
}

}  // namespace vistrel::test
