#pragma once
// The separate video window: a black, frameless top-level window that the engine's video
// is moved into. While windowed it never takes the focus, so a click on the video leaves
// the keys with the main window; in fullscreen it takes the focus (a window manager keeps
// only a focused fullscreen window above its panels) and hands its keys on. It has no
// parent and is no tool window, so the main window can be brought above it.
#include "support/WindowHandle.h"

#include <QWidget>

#include <functional>

class QKeyEvent;

namespace vistrel::video {

// Its caption: other instances of the program count the windows whose caption ends with
// the program's name, and this one must not be counted.
inline constexpr const char* kVideoWindowTitle = "Video";

class VideoWindow : public QWidget {
    Q_OBJECT

public:
    VideoWindow();

    WindowHandle NativeWindow();
    // Fullscreen: the window may take the focus; windowed: never.
    void SetFocusable(bool focusable);
    // A blank pointer over the window and the video in it.
    void SetPointerHidden(bool hidden);
    bool PointerHidden() const { return pointerHidden_; }

    // Keys pressed while the window has the focus; true when taken.
    std::function<bool(QKeyEvent* event)> ForwardKey;

signals:
    // A press of the left or right button (each press of a double click counts).
    void MousePressed(Qt::MouseButton button, QPoint globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void ForwardOrIgnore(QKeyEvent* event);

    bool pointerHidden_ = false;
};

}  // namespace vistrel::video
