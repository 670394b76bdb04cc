#include "controls/VolumeFrameWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>

namespace vistrel {

namespace {

const char* const kKnobNames[kVolumeKnobCount] = {"Master", "Wave", "MIDI", "Local"};

// Sizes at 96 dpi.
constexpr int kColumnWidth = 40;
constexpr int kKnobWidth = 24;
constexpr int kKnobHeight = 10;
constexpr int kTravel = 64;
constexpr int kGap = 3;

}  // namespace

VolumeFrameWidget::VolumeFrameWidget(int dpi, QWidget* parent) : QGroupBox("Volume", parent), dpi_(dpi)
{
    knobs_.KnobsMoved = [this] { update(); };
}

int VolumeFrameWidget::LabelHeight() const
{
    return fontMetrics().height();
}

QSize VolumeFrameWidget::sizeHint() const
{
    const QMargins m = contentsMargins();
    return {kVolumeKnobCount * Scaled(kColumnWidth) + m.left() + m.right(),
            Scaled(kTravel + kKnobHeight + 3 * kGap) + LabelHeight() + m.top() + m.bottom()};
}

void VolumeFrameWidget::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    LayOutKnobs();
}

// The knobs' columns are centred in the frame; the tracks fill its height above the names.
void VolumeFrameWidget::LayOutKnobs()
{
    const QRect area = contentsRect();
    const int columnWidth = Scaled(kColumnWidth);
    const int firstLeft = area.left() + (area.width() - kVolumeKnobCount * columnWidth) / 2;
    VolumeKnobLayout layout;
    layout.knobHeight = Scaled(kKnobHeight);
    layout.topAtMax = area.top() + Scaled(kGap);
    const int travel = area.height() - LabelHeight() - Scaled(3 * kGap) - layout.knobHeight;
    layout.topAtZero = layout.topAtMax + std::max(0, travel);
    for (int knob = 0; knob < kVolumeKnobCount; ++knob) {
        const int left = firstLeft + knob * columnWidth + (columnWidth - Scaled(kKnobWidth)) / 2;
        layout.columns[size_t(knob)] = {left, left + Scaled(kKnobWidth)};
    }
    knobs_.SetLayout(layout);
}

QRect VolumeFrameWidget::KnobRect(int knob) const
{
    const VolumeKnobLayout& layout = knobs_.Layout();
    const auto& [left, right] = layout.columns[size_t(knob)];
    return {left, knobs_.KnobTop(knob), right - left, layout.knobHeight};
}

void VolumeFrameWidget::SetMixerEnabled(bool enabled)
{
    knobs_.SetMixerEnabled(enabled);
    knobs_.SetVolumeSliderPos();
    update();
}

// Each track is a dark and a light line side by side, from the knob's middle at the top
// to its middle at the bottom; the name sits under the track.
void VolumeFrameWidget::paintEvent(QPaintEvent* event)
{
    QGroupBox::paintEvent(event);
    QPainter painter(this);
    const VolumeKnobLayout& layout = knobs_.Layout();
    for (int knob = 0; knob < kVolumeKnobCount; ++knob) {
        const QPalette::ColorGroup group = isEnabled() && knobs_.KnobEnabled(knob) ? QPalette::Active : QPalette::Disabled;
        const QRect knobRect = KnobRect(knob);
        const int x = knobRect.center().x();
        const int top = layout.topAtMax + layout.knobHeight / 2;
        const int bottom = layout.topAtZero + layout.knobHeight / 2;
        painter.setPen(palette().color(group, QPalette::Dark));
        painter.drawLine(x, top, x, bottom);
        painter.setPen(palette().color(group, QPalette::Light));
        painter.drawLine(x + 1, top, x + 1, bottom);
        QPalette knobPalette = palette();
        knobPalette.setCurrentColorGroup(group);
        const QBrush fill = knobPalette.button();
        qDrawShadePanel(&painter, knobRect, knobPalette, false, 1, &fill);
        const int columnWidth = Scaled(kColumnWidth);
        const QRect nameRect(x - columnWidth / 2, layout.topAtZero + layout.knobHeight + Scaled(kGap), columnWidth,
                             LabelHeight());
        painter.setPen(palette().color(group, QPalette::WindowText));
        painter.drawText(nameRect, Qt::AlignCenter, kKnobNames[knob]);
    }
}

void VolumeFrameWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QGroupBox::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    knobs_.Press(at.x(), at.y());
}

void VolumeFrameWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        knobs_.Move(event->position().toPoint().y());
}

void VolumeFrameWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        knobs_.Release();
}

}  // namespace vistrel
