#pragma once
// The "Volume" frame: four knobs on their tracks with their names under them. The frame
// paints the tracks and the knobs and takes the mouse presses and drags; VolumeKnobs
// decides where the knobs go. The wheel is not taken here: it reaches the main window,
// which turns it into a knob move wherever the pointer is.
#include "controls/VolumeKnobs.h"

#include <QGroupBox>

namespace vistrel {

class VolumeFrameWidget : public QGroupBox {
    Q_OBJECT

public:
    // Pixel sizes follow `dpi` (ScreenDpi).
    explicit VolumeFrameWidget(int dpi, QWidget* parent = nullptr);

    VolumeKnobs& Knobs() { return knobs_; }
    const VolumeKnobs& Knobs() const { return knobs_; }
    // Where knob `knob` is drawn, in the frame's pixels.
    QRect KnobRect(int knob) const;
    // Knobs 0..2 answer, or are greyed and inert.
    void SetMixerEnabled(bool enabled);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int Scaled(int pixelsAt96) const { return pixelsAt96 * dpi_ / 96; }
    int LabelHeight() const;
    void LayOutKnobs();

    int dpi_;
    VolumeKnobs knobs_;
};

}  // namespace vistrel
