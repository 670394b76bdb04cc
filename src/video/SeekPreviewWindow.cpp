#include "video/SeekPreviewWindow.h"

#include <QLabel>
#include <QPainter>
#include <QRegion>

namespace vistrel::video {

namespace {

constexpr int kBorder = 2;

}  // namespace

// A tool tip window is override-redirect on X11: it stays above the video, fullscreen too,
// and the window manager never gives it the focus.
SeekPreviewWindow::SeekPreviewWindow(const QColor& back, const QColor& text)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), time_(new QLabel(this))
{
    setObjectName("seekPreview");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, back);
    colours.setColor(QPalette::WindowText, text);
    setPalette(colours);
    setAutoFillBackground(true);
    time_->setObjectName("seekPreviewTime");
    time_->setAlignment(Qt::AlignCenter);
    time_->setPalette(colours);
    time_->setAutoFillBackground(true);
}

void SeekPreviewWindow::SetShape(QSize picture, const QString& widestTime)
{
    const QFontMetrics metrics(time_->font());
    const QSize tab(metrics.horizontalAdvance(" " + widestTime + " "), metrics.height());
    const int width = std::max(picture.width(), tab.width());
    picture_ = QRect(QPoint((width - picture.width()) / 2, 0), picture);
    time_->setGeometry((width - tab.width()) / 2, picture.height(), tab.width(), tab.height());
    resize(width, picture.height() + tab.height());
    setMask(QRegion(picture_) + QRegion(time_->geometry()));
    if (!frame_.isNull() && frame_.size() != picture_.adjusted(kBorder, kBorder, -kBorder, -kBorder).size())
        frame_ = {};
}

// Scaled once here, so a repaint of the window (a move, an expose) only copies pixels.
void SeekPreviewWindow::SetFrame(const QImage& frame)
{
    const QSize inside = picture_.adjusted(kBorder, kBorder, -kBorder, -kBorder).size();
    frame_ = frame.isNull() || inside.isEmpty()
                 ? QImage()
                 : frame.scaled(inside, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Painted now: the pointer has rested here since the seek began.
    if (isVisible())
        repaint(picture_);
    else
        update(picture_);
}

void SeekPreviewWindow::SetTimeText(const QString& text)
{
    if (time_->text() != text)
        time_->setText(text);
}

QString SeekPreviewWindow::TimeText() const
{
    return time_->text();
}

void SeekPreviewWindow::paintEvent(QPaintEvent*)
{
    if (frame_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(picture_.topLeft() + QPoint(kBorder, kBorder), frame_);
    ++paintedFrames_;
}

}  // namespace vistrel::video
