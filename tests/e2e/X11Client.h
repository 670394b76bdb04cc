#pragma once
// A few X11 requests for the tests that look at real windows: find the program's shown
// top-level windows by name or a window's children, read where they are, ask one to close
// as a window manager would, and see whether the pointer is drawn.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace vistrel::test {

struct X11Geometry {
    int x = 0, y = 0, width = 0, height = 0;  // x, y: top-left corner in root coordinates
    bool viewable = false;
};

class X11Client {
public:
    X11Client();
    ~X11Client();
    bool Connected() const;
    // The viewable top-level windows named `name` (Qt also names an unmapped 1x1 helper
    // window after the application).
    std::vector<uint32_t> ShownWindows(const std::string& name);
    std::vector<uint32_t> Children(uint32_t parent);
    uint32_t Root() const { return root_; }
    std::optional<X11Geometry> Geometry(uint32_t window);  // empty once the window is destroyed
    void RequestClose(uint32_t window);
    // Whether the pointer's current cursor image is fully transparent (XFixes); empty when
    // the server cannot tell.
    std::optional<bool> CursorBlank();

private:
    uint32_t Atom(const char* name);

    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
};

}  // namespace vistrel::test
