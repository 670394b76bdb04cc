#pragma once
// The seek preview's window: a frameless tool tip that never takes the focus, showing a
// frame in its picture rectangle and the time under it in a tab. Only the picture and the
// tab are part of the window (its mask). It paints the frame itself; no engine draws here.
#include <QImage>
#include <QWidget>

class QLabel;

namespace vistrel::video {

class SeekPreviewWindow : public QWidget {
    Q_OBJECT

public:
    SeekPreviewWindow(const QColor& back, const QColor& text);

    // A picture of `picture` pixels and, centred under it, the time tab wide enough for
    // " " + `widestTime` + " ".
    void SetShape(QSize picture, const QString& widestTime);
    // Painted stretched into the picture, inside a border of 2 pixels of the back colour.
    void SetFrame(const QImage& frame);
    void SetTimeText(const QString& text);
    QString TimeText() const;
    QRect PictureRect() const { return picture_; }
    // How often a frame has been painted (the benchmark waits for the next one).
    int PaintedFrames() const { return paintedFrames_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* time_;
    QRect picture_;
    QImage frame_;  // scaled to the picture's inside
    int paintedFrames_ = 0;
};

}  // namespace vistrel::video
