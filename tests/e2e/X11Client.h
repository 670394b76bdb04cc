#pragma once
// A few X11 requests for the e2e tests, on the xcb connection of this process:
// find a top-level window by its name, read its geometry, ask it to close as a window
// manager would (WM_DELETE_WINDOW).
#include <cstdint>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace vistrel::test {

struct X11Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool viewable = false;
};

class X11Client {
public:
    X11Client();
    ~X11Client();
    bool Connected() const;
    // Polls the window tree until a window named `name` appears or `timeoutMs` passes.
    std::optional<uint32_t> WaitForWindow(const std::string& name, int timeoutMs);
    std::optional<X11Geometry> Geometry(uint32_t window);
    void RequestClose(uint32_t window);

private:
    std::optional<uint32_t> FindWindow(uint32_t root, const std::string& name);
    uint32_t Atom(const char* name);
    std::string WindowName(uint32_t window);

    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
};

}  // namespace vistrel::test
