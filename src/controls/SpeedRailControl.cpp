#include "controls/SpeedRailControl.h"

#include "support/TickCount.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace vistrel {

namespace {

// The floating label keeps this gap to the knob's right edge.
constexpr int kFloatingLabelGap = 2;

}  // namespace

SpeedRailControl::SpeedRailControl(SpeedWidgets widgets, SpeedHooks hooks, QObject* parent)
    : QObject(parent),
      w_(widgets),
      hooks_(std::move(hooks)),
      rail_(hooks_.ClockMs ? hooks_.ClockMs : std::function<int64_t()>([] { return TickCountMs(); }))
{
    w_.restTimer->setInterval(int(kSpeedRestMs));
    w_.restTimer->setSingleShot(true);
    connect(w_.restTimer, &QTimer::timeout, this, &SpeedRailControl::OnRestTimer);
    connect(w_.speedList, &QComboBox::activated, this, &SpeedRailControl::OnListActivated);
    w_.rail->installEventFilter(this);
    w_.knob->installEventFilter(this);
    rail_.SetGeometry(w_.rail->width(), w_.knob->width());
    PlaceKnob();
    ShowSpeed();
}

void SpeedRailControl::TitleClosed()
{
    w_.restTimer->stop();
    rail_.TitleClosed();
    PlaceKnob();
    ShowSpeed();
    w_.speedList->setCurrentIndex(0);
}

bool SpeedRailControl::eventFilter(QObject* watched, QEvent* event)
{
    const bool onKnob = watched == w_.knob;
    if (!onKnob && watched != w_.rail)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        Press(onKnob, RailX(mouse->globalPosition()));
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (dragging_ && (mouse->buttons() & Qt::LeftButton))
            Drag(RailX(mouse->globalPosition()));
        return dragging_;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && dragging_)
            Release();
        return true;
    case QEvent::Resize:
        if (!onKnob) {
            rail_.SetGeometry(w_.rail->width(), w_.knob->width());
            PlaceKnob();
        }
        return false;
    default: return false;
    }
}

void SpeedRailControl::Press(bool onKnob, int x)
{
    if (hooks_.FocusFileList)
        hooks_.FocusFileList();
    dragging_ = true;
    if (onKnob) {
        rail_.PressOnKnob(x);
    } else {
        rail_.PressOnRail(x);
        PlaceKnob();
        ShowSpeed();
        RestartRest();
    }
    PlaceFloatingLabel();
    w_.floatingLabel->show();
    w_.floatingLabel->raise();
}

void SpeedRailControl::Drag(int x)
{
    const int before = rail_.KnobLeft();
    const bool changed = rail_.DragTo(x);
    if (rail_.KnobLeft() != before) {
        PlaceKnob();
        PlaceFloatingLabel();
    }
    if (changed)
        ShowSpeed();
    if (rail_.Pending())
        RestartRest();
}

void SpeedRailControl::Release()
{
    dragging_ = false;
    w_.floatingLabel->hide();
}

void SpeedRailControl::RestartRest()
{
    w_.restTimer->start(int(kSpeedRestMs));
}

// A timer may run out a little early: what is left of the rest is waited for again.
void SpeedRailControl::OnRestTimer()
{
    const std::optional<int32_t> speed = rail_.TakeDueSpeed();
    if (!speed) {
        if (rail_.Pending())
            w_.restTimer->start(int(std::max<int64_t>(1, rail_.MsUntilDue())));
        return;
    }
    const bool accepted = hooks_.SetSpeed && hooks_.SetSpeed(*speed);
    if (rail_.Applied(*speed, accepted)) {
        PlaceKnob();
        PlaceFloatingLabel();
    }
}

// An entry of the list is a percentage: it is applied at once and the knob stays.
void SpeedRailControl::OnListActivated(int index)
{
    bool number = false;
    const int percent = w_.speedList->itemText(index).toInt(&number);
    if (number && hooks_.SetSpeed)
        hooks_.SetSpeed(percent * 10);
}

void SpeedRailControl::ShowSpeed()
{
    const QString text = QString::fromStdString(SpeedText(rail_.ShownSpeed()));
    w_.speedLabel->setText(text);
    w_.floatingLabel->setText(text);
    w_.floatingLabel->adjustSize();
}

void SpeedRailControl::PlaceKnob()
{
    w_.knob->move(rail_.KnobLeft(), (w_.rail->height() - w_.knob->height()) / 2);
}

void SpeedRailControl::PlaceFloatingLabel()
{
    QWidget* parent = w_.floatingLabel->parentWidget();
    const QPoint knobRight = w_.knob->mapTo(parent, QPoint(w_.knob->width() + kFloatingLabelGap, 0));
    const int y = knobRight.y() + (w_.knob->height() - w_.floatingLabel->height()) / 2;
    w_.floatingLabel->move(knobRight.x(), y);
}

int SpeedRailControl::RailX(const QPointF& globalPos) const
{
    return w_.rail->mapFromGlobal(globalPos).toPoint().x();
}

}  // namespace vistrel
