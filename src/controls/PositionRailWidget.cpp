#include "controls/PositionRailWidget.h"

#include "controls/RailControl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>

namespace vistrel {

namespace {
constexpr int kButtonSizeAt96 = 20;
}  // namespace

int ScaledPixels(int pixelsAt96, int dpi)
{
    return static_cast<int>(std::lrint(pixelsAt96 * dpi / 96.0));
}

int SeekArrowImageSize(int dpi)
{
    if (dpi >= 288)
        return 24;
    if (dpi >= 144)
        return 18;
    return 9;
}

QPoint SeekArrowOffset(int dpi, QSize buttonSize, int imageSize)
{
    if (dpi >= 144)
        return {(buttonSize.width() - imageSize) / 2, (buttonSize.height() - imageSize) / 2};
    if (dpi < 120)
        return {6, 7};
    return {9, 10};
}

// ---- SeekButton --------------------------------------------------------------------

SeekButton::SeekButton(int index, int dpi, QWidget* parent)
    : QWidget(parent), index_(index), dpi_(dpi), imageSize_(SeekArrowImageSize(dpi))
{
    setObjectName(QString("seekButtons_%1").arg(index));
    setToolTip(index == 0 ? "Seek Backward" : "Seek Forward");
    const int side = ScaledPixels(kButtonSizeAt96, dpi);
    setFixedSize(side, side);
    DrawReleased();
}

void SeekButton::DrawPressed()
{
    pressed_ = true;
    imagePos_ = offset_ + QPoint(1, 1);
    update();
}

void SeekButton::DrawReleased()
{
    // The offset depends on the button's size, which is final by the first release.
    if (!offsetComputed_) {
        offset_ = SeekArrowOffset(dpi_, size(), imageSize_);
        offsetComputed_ = true;
    }
    pressed_ = false;
    imagePos_ = offset_;
    update();
}

void SeekButton::PaintArrow(QPainter& painter, QPoint at) const
{
    const double s = imageSize_;
    const double tipX = index_ == 0 ? 0.0 : s;
    const double baseX = index_ == 0 ? s * 0.75 : s * 0.25;
    const QPolygonF arrow{QPointF(baseX, 0), QPointF(tipX, s / 2), QPointF(baseX, s)};
    painter.save();
    painter.translate(at);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::ButtonText));
    painter.drawPolygon(arrow);
    painter.restore();
}

void SeekButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QBrush face = palette().brush(QPalette::Button);
    qDrawWinButton(&painter, rect(), palette(), pressed_, &face);
    PaintArrow(painter, imagePos_);
}

void SeekButton::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(ButtonMask(event->buttons()));
}

void SeekButton::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseUp(ButtonMask(event->button()));
}

// ---- TimeLabel -------------------------------------------------------------------------

TimeLabel::TimeLabel(const char* name, int minHeight, int padding, QWidget* parent)
    : QLabel("0:00", parent), minHeight_(minHeight), padding_(padding)
{
    setObjectName(name);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FitSize();
}

void TimeLabel::FitSize()
{
    setFixedSize(fontMetrics().horizontalAdvance("0000:00") + padding_, std::max(minHeight_, sizeHint().height()));
}

// The window's font setting reaches the labels after they were made.
void TimeLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitSize();
}

// ---- PositionRailWidget ------------------------------------------------------------

PositionRailWidget::PositionRailWidget(int dpi, QWidget* parent) : QWidget(parent), dpi_(dpi > 0 ? dpi : 96)
{
    setObjectName("PositionRailRow");
    seekButtons = {new SeekButton(0, dpi_, this), new SeekButton(1, dpi_, this)};
    railPicture = new RailPicture(this);
    railPicture->setFixedHeight(Scaled(kRailHeightAt96));
    railPicture->setMinimumWidth(Scaled(60));
    railPicture->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    railKnob = new RailKnob(railPicture);
    railKnob->setGeometry(0, 0, Scaled(kKnobWidthAt96), Scaled(kRailHeightAt96));
    elapsedLabel = new TimeLabel("elapsedLabel", Scaled(kRailHeightAt96), Scaled(4), this);
    lengthLabel = new TimeLabel("lengthLabel", Scaled(kRailHeightAt96), Scaled(4), this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Scaled(2));
    row->addWidget(seekButtons[0]);
    row->addWidget(railPicture, 1);
    row->addWidget(seekButtons[1]);
    row->addWidget(elapsedLabel);
    row->addWidget(lengthLabel);
}

int PositionRailWidget::Scaled(int pixelsAt96) const
{
    return ScaledPixels(pixelsAt96, dpi_);
}

}  // namespace vistrel
