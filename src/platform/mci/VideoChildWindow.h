#pragma once
// The native window that shows a device's video:
// an X11 child of the window named by the open command's "parent" clause, sized to it.
// It selects no input events, so clicks and keys reach the parent as if it were not there.
// Inside it, always as large, is the window the engine draws into. mpv takes every map of
// the window it was given for a map of its own window: when that window moved to another
// parent (an unmap and a map) while mpv set up its output, mpv never showed its picture.
// Only the outer window is placed, moved between parents and hidden.
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
    WindowHandle engineWindowId() const { return engineId_; }
    void hide();
    void setRect(int x, int y, int width, int height);
    // Moves this window, with the engine's own window inside it, into `parent`. It keeps
    // its mapped state; having no background, it fits a parent of any depth.
    void reparent(WindowHandle parent, int x, int y, int width, int height);

private:
    explicit VideoChildWindow(WindowHandle id) : id_(id) {}
    WindowHandle id_;
    WindowHandle engineId_ = 0;
};

}  // namespace vistrel::mci
