#include "video/VideoWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace vistrel::video {

VideoWindow::VideoWindow()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName("videoWindow");
    setWindowTitle(kVideoWindowTitle);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NativeWindow);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setFocusPolicy(Qt::NoFocus);
}

WindowHandle VideoWindow::NativeWindow()
{
    return static_cast<WindowHandle>(winId());
}

// Through the native window's flag: QWidget::setWindowFlags would hide the window and
// create it again, taking the engine's video with it.
void VideoWindow::SetFocusable(bool focusable)
{
    winId();
    windowHandle()->setFlag(Qt::WindowDoesNotAcceptFocus, !focusable);
    setFocusPolicy(focusable ? Qt::StrongFocus : Qt::NoFocus);
}

// The engine's window inside has no cursor of its own and shows this one.
void VideoWindow::SetPointerHidden(bool hidden)
{
    if (hidden == pointerHidden_)
        return;
    pointerHidden_ = hidden;
    if (hidden)
        setCursor(Qt::BlankCursor);
    else
        unsetCursor();
}

void VideoWindow::keyPressEvent(QKeyEvent* event)
{
    ForwardOrIgnore(event);
}

void VideoWindow::keyReleaseEvent(QKeyEvent* event)
{
    ForwardOrIgnore(event);
}

void VideoWindow::ForwardOrIgnore(QKeyEvent* event)
{
    if (ForwardKey && ForwardKey(event))
        event->accept();
    else
        event->ignore();
}

void VideoWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        emit MousePressed(event->button(), event->globalPosition().toPoint());
}

// Qt makes the second press of a double click a double-click event; the presses are timed
// by the window's own rule, so it is one more press.
void VideoWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

}  // namespace vistrel::video
