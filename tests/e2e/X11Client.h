#pragma once
// A few X11 requests for the e2e tests, on the xcb connection of this process:
// find a top-level window by its name, read its geometry and its position on the root
// window, ask it to close as a window manager would (WM_DELETE_WINDOW).
#include <cstdint>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace vistrel::test {

struct X11Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool viewable = false;
};

struct X11Point {
    int x = 0, y = 0;
};

class X11Client {
public:
    X11Client();
    ~X11Client();
    bool Connected() const;
    // Polls the window tree until a window named `name` appears or `timeoutMs` passes.
    std::optional<uint32_t> WaitForWindow(const std::string& name, int timeoutMs);
    // The same for a viewable window named `name` other than `except` (Qt also names an
    // unmapped 1x1 helper window after the application).
    std::optional<uint32_t> WaitForShownWindow(const std::string& name, int timeoutMs, uint32_t except = 0);
    std::optional<X11Geometry> Geometry(uint32_t window);
    // The window's top-left corner (inside its border) in root coordinates.
    std::optional<X11Point> RootPosition(uint32_t window);
    void RequestClose(uint32_t window);

private:
    struct Wanted {
        std::string name;
        uint32_t except = 0;
        bool viewableOnly = false;
    };
    std::optional<uint32_t> WaitFor(const Wanted& wanted, int timeoutMs);
    std::optional<uint32_t> FindWindow(uint32_t parent, const Wanted& wanted);
    bool Matches(uint32_t window, const Wanted& wanted);
    uint32_t Atom(const char* name);
    std::string WindowName(uint32_t window);

    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
};

}  // namespace vistrel::test
