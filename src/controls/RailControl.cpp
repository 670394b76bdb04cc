#include "controls/RailControl.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>

namespace vistrel {

int ButtonMask(Qt::MouseButtons buttons)
{
    int mask = 0;
    if (buttons & Qt::LeftButton)
        mask |= kLeftButton;
    if (buttons & Qt::RightButton)
        mask |= kRightButton;
    if (buttons & Qt::MiddleButton)
        mask |= kMiddleButton;
    return mask;
}

// ---- RailPicture -------------------------------------------------------------------

RailPicture::RailPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName("railPicture");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RailPicture::ShowTrack(const QPixmap& emptyTrack, const QPixmap& knob, QPoint knobAt, const QRect& changed)
{
    emptyTrack_ = emptyTrack;
    knob_ = knob;
    knobAt_ = knobAt;
    // Painted at once: the position poll moves the knob, and a paint left to the event loop
    // would cost every poll a second pass of the loop.
    repaint(changed);
}

void RailPicture::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawPixmap(area.topLeft(), emptyTrack_, area);
    const QRect knob(knobAt_, knob_.size());
    if (knob.intersects(area))
        painter.drawPixmap(knobAt_, knob_);
}

void RailPicture::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(ButtonMask(event->buttons()), qRound(event->position().x()));
}

void RailPicture::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(ButtonMask(event->buttons()), qRound(event->position().x()));
}

void RailPicture::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseUp(ButtonMask(event->button()), qRound(event->position().x()));
}

void RailPicture::resizeEvent(QResizeEvent*)
{
    emit Resized();
}

// ---- RailKnob ----------------------------------------------------------------------

RailKnob::RailKnob(QWidget* parent) : QWidget(parent)
{
    setObjectName("railKnob");
    hide();
}

void RailKnob::SliderDraw(const QPalette& palette)
{
    const int w = width();
    const int h = height();
    image_ = QPixmap(std::max(w, 1), std::max(h, 1));
    image_.fill(palette.color(QPalette::Button));
    QPainter p(&image_);
    p.setPen(palette.color(QPalette::Light));  // 3-D highlight
    p.drawLine(0, 0, w - 2, 0);
    p.drawLine(0, 0, 0, h - 2);
    p.setPen(palette.color(QPalette::Shadow));  // 3-D dark shadow
    p.drawLine(0, h - 1, w - 1, h - 1);
    p.drawLine(w - 1, 0, w - 1, h - 1);
    p.setPen(palette.color(QPalette::Dark));  // 3-D shadow, one pixel inside
    p.drawLine(1, h - 2, w - 2, h - 2);
    p.drawLine(w - 2, 1, w - 2, h - 2);
}

void RailKnob::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, image_);
}

// ---- RailControl --------------------------------------------------------------------

RailControl::RailControl(RailControlHost host) : host_(std::move(host)) {}

RailControl::~RailControl()
{
    // The rails may outlive the controller: their resize must no longer reach it.
    for (auto& pair : rails_)
        Detach(pair);
}

void RailControl::Detach(RailPair& pair)
{
    QObject::disconnect(pair.resized);
    pair = RailPair{};
}

bool RailControl::ValidIndex(int Index) const
{
    return Index >= 0 && Index < RailCount;
}

bool RailControl::Attached(int Index) const
{
    return ValidIndex(Index) && rails_[Index].rail && rails_[Index].knob;
}

RailPicture* RailControl::Rail(int Index) const
{
    return ValidIndex(Index) ? rails_[Index].rail.data() : nullptr;
}

int RailControl::KnobLeft(int Index) const
{
    return ValidIndex(Index) ? rails_[Index].knobLeft : 0;
}

void RailControl::Attach(int Index, RailPicture* rail, RailKnob* knob)
{
    if (!ValidIndex(Index))
        return;
    RailPair& pair = rails_[Index];
    Detach(pair);
    if (!rail || !knob)
        return;
    pair.rail = rail;
    pair.knob = knob;
    rail->setBackgroundRole(QPalette::Button);
    rail->setAutoFillBackground(true);
    knob->hide();
    knob->SliderDraw(rail->palette());
    pair.resized = QObject::connect(rail, &RailPicture::Resized, rail, [this, Index] { DrawRail(Index); });
    DrawRail(Index);
}

void RailControl::PaintEmptyTrack(RailPair& pair)
{
    const QSize size = pair.rail->size().expandedTo(QSize(1, 1));
    const QPalette& palette = pair.rail->palette();
    pair.emptyTrack = QPixmap(size);
    pair.emptyTrack.fill(palette.color(QPalette::Base));
    QPainter p(&pair.emptyTrack);
    qDrawWinPanel(&p, QRect(QPoint(0, 0), size), palette, true, nullptr);
}

void RailControl::DrawRail(int Index)
{
    if (!Attached(Index))
        return;
    if (Index == 1 && host_.Closing && host_.Closing())
        return;
    RailPair& pair = rails_[Index];
    const bool resized = pair.emptyTrack.size() != pair.rail->size().expandedTo(QSize(1, 1));
    if (resized)
        PaintEmptyTrack(pair);
    // Only the columns the knob leaves and enters change, unless the whole rail is new.
    const auto knobColumns = [&pair](int left) { return QRect(left, 0, pair.knob->width(), pair.rail->height()); };
    const bool whole = resized || !pair.rail->ShowsTrack();
    const QRect changed = whole ? pair.rail->rect() : knobColumns(pair.knobLeft) | knobColumns(KnobLeftFor(pair));
    pair.knobLeft = KnobLeftFor(pair);
    pair.knob->move(pair.knobLeft, pair.knob->y());
    pair.rail->ShowTrack(pair.emptyTrack, pair.knob->Image(), QPoint(pair.knobLeft, Index == 0 ? 0 : 1), changed);
}

int RailControl::KnobLeftFor(const RailPair& pair) const
{
    const int travel = pair.rail->width() - pair.knob->width();
    return static_cast<int>(std::lrint(travel * static_cast<double>(position_)));
}

// The rail as drawn already shows the knob where the position puts it.
bool RailControl::ShowsPosition(int Index) const
{
    const RailPair& pair = rails_[Index];
    return pair.rail->ShowsTrack() && pair.emptyTrack.size() == pair.rail->size().expandedTo(QSize(1, 1)) &&
           pair.knobLeft == KnobLeftFor(pair);
}

// A rail whose knob would stay where it is (the poll runs about once per knob pixel, and
// a paused or ended title keeps its position) is not composed and painted again.
void RailControl::DrawBothRails()
{
    for (int i = 0; i < RailCount; ++i) {
        if (Attached(i) && !ShowsPosition(i))
            DrawRail(i);
    }
}

void RailControl::SetPosition(float Pos)
{
    position_ = std::clamp(Pos, 0.0f, 1.0f);
    DrawBothRails();
}

float RailControl::PointerFraction(int Index, int X) const
{
    if (!Attached(Index))
        return 0.0f;
    const int knobWidth = rails_[Index].knob->width();
    const int travel = rails_[Index].rail->width() - knobWidth;
    if (travel <= 0)
        return 0.0f;
    // The knob's left edge with its centre on X, rounded half to even.
    const long p = std::lrint(X - (knobWidth + 1) / 2.0);
    return static_cast<float>(std::clamp<long>(p, 0, travel)) / static_cast<float>(travel);
}

float RailControl::MouseDown(int Index, int X)
{
    position_ = PointerFraction(Index, X);
    mouseMovePosition_ = position_;
    DrawBothRails();
    if (host_.EnablePositionPoll)
        host_.EnablePositionPoll(false, "RailControl.MouseDown");
    if (host_.StartRailMoveTimer)
        host_.StartRailMoveTimer();
    return position_;
}

float RailControl::MouseMove(int Index, int Button, int X)
{
    mouseMovePosition_ = PointerFraction(Index, X);
    if (Button == kLeftButton)
        MouseDown(Index, X);
    return mouseMovePosition_;
}

float RailControl::MouseUp(int Index, int X)
{
    position_ = PointerFraction(Index, X);
    DrawBothRails();
    if (host_.RailPosChanged)
        host_.RailPosChanged();
    return position_;
}

}  // namespace vistrel
