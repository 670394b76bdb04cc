#pragma once
// The play speed controls of the main window: the rail with its knob, the label that floats
// beside the knob while it is dragged, the label of the chosen speed and the list of fixed
// speeds. Presses and drags go to the rail's logic (SpeedRail); the engine is told through
// the hooks once the knob has rested, and at once for an entry of the list.
#include "controls/SpeedRail.h"

#include <QObject>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QTimer;
class QWidget;

namespace vistrel {

struct SpeedWidgets {
    QWidget* rail = nullptr;
    QWidget* knob = nullptr;           // a child of the rail
    QLabel* floatingLabel = nullptr;   // a sibling of the rail's row, shown while dragging
    QLabel* speedLabel = nullptr;      // the chosen speed, "100%"
    QComboBox* speedList = nullptr;    // "100", "400", "800", "1600"
    QTimer* restTimer = nullptr;       // runs out kSpeedRestMs after the last movement
};

struct SpeedHooks {
    std::function<void()> FocusFileList;
    // Tells the engine; false when it refused (nothing is shown then).
    std::function<bool(int32_t speed)> SetSpeed;
    std::function<int64_t()> ClockMs;  // unset: TickCountMs
};

class SpeedRailControl : public QObject {
    Q_OBJECT

public:
    SpeedRailControl(SpeedWidgets widgets, SpeedHooks hooks, QObject* parent = nullptr);

    // A title closed: normal speed shown in the label and the list, knob in the middle,
    // nothing pending. The next title plays at normal speed.
    void TitleClosed();
    const SpeedRail& Logic() const { return rail_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnRestTimer();
    void OnListActivated(int index);
    void Press(bool onKnob, int x);
    void Drag(int x);
    void Release();
    void RestartRest();
    void ShowSpeed();
    void PlaceKnob();
    void PlaceFloatingLabel();
    int RailX(const QPointF& globalPos) const;

    SpeedWidgets w_;
    SpeedHooks hooks_;
    SpeedRail rail_;
    bool dragging_ = false;
};

}  // namespace vistrel
