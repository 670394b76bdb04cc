#pragma once
// The native window that shows a device's video:
// an X11 child of the window named by the open command's "parent" clause, sized to it.
// It selects no input events, so clicks and keys reach the parent as if it were not there.
#include "support/WindowHandle.h"

#include <memory>

namespace vistrel::mci {

// True when the X server offers direct rendering (DRI2 or DRI3): there is a GPU for mpv's
// "gpu" output. Xvfb offers neither; there software GL in several players at once has been
// seen to bring the server down, so plain X11 output is used.
bool XServerHasDirectRendering();

class VideoChildWindow {
public:
    // A new child of `parent`, mapped and as large as the parent; null when not on xcb or
    // when the parent is not a window.
    static std::unique_ptr<VideoChildWindow> Create(WindowHandle parent);
    ~VideoChildWindow();
    VideoChildWindow(const VideoChildWindow&) = delete;
    VideoChildWindow& operator=(const VideoChildWindow&) = delete;

    WindowHandle id() const { return id_; }
    void hide();
    void setRect(int x, int y, int width, int height);

private:
    explicit VideoChildWindow(WindowHandle id) : id_(id) {}
    WindowHandle id_;
};

}  // namespace vistrel::mci
