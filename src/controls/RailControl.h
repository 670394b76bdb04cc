#pragma once
// The rail controller RailControl. One relative position 0..1 shared by two
// rails (0 = main window, 1 = fullscreen rail); pointer X to fraction. Each rail is a
// sunken empty track drawn off-screen once per size, with the raised knob image painted
// over it; a knob step repaints only the columns the knob leaves and enters.
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

namespace vistrel {

// Mouse button values of the rail's handlers: 1 left, 2 right, 4 middle, or-ed when
// several are held.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
int ButtonMask(Qt::MouseButtons buttons);

// The visible track `railPicture`: paints the empty track the controller drew and the knob
// over it, only within the region that changed. Presses and moves report the held buttons
// (so both buttons give 3), a release the released one.
class RailPicture : public QWidget {
    Q_OBJECT

public:
    explicit RailPicture(QWidget* parent = nullptr);
    // Shows `knob` at `knobAt` over `emptyTrack`; the picture differs from the one shown
    // before only within `changed`. The pixmaps are shared, not copied.
    void ShowTrack(const QPixmap& emptyTrack, const QPixmap& knob, QPoint knobAt, const QRect& changed);
    // Whether a track is shown yet.
    bool ShowsTrack() const { return !emptyTrack_.isNull(); }

signals:
    void MouseDown(int Button, int X);
    void MouseMove(int Button, int X);
    void MouseUp(int Button, int X);
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap emptyTrack_;
    QPixmap knob_;
    QPoint knobAt_;
};

// The knob window `railKnob`: kept hidden, only the source image of the knob.
class RailKnob : public QWidget {
    Q_OBJECT

public:
    explicit RailKnob(QWidget* parent = nullptr);
    // SliderDraw: button face, highlight top/left, dark shadow bottom/right, shadow just
    // inside bottom/right; colours from `palette`.
    void SliderDraw(const QPalette& palette);
    const QPixmap& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap image_;
};

// What the controller asks of the main window (wired by PositionRail).
struct RailControlHost {
    std::function<void(bool enable, const std::string& caller)> EnablePositionPoll;
    std::function<void()> StartRailMoveTimer;
    std::function<void()> RailPosChanged;
    // The main window's close request has begun: the fullscreen rail is not drawn.
    std::function<bool()> Closing;
};

class RailControl {
public:
    static constexpr int RailCount = 2;

    explicit RailControl(RailControlHost host);
    ~RailControl();
    RailControl(const RailControl&) = delete;
    RailControl& operator=(const RailControl&) = delete;

    void Attach(int Index, RailPicture* rail, RailKnob* knob);
    float MouseDown(int Index, int X);
    float MouseMove(int Index, int Button, int X);
    float MouseUp(int Index, int X);
    void SetPosition(float Pos);
    float Position() const { return position_; }
    float MouseMovePosition() const { return mouseMovePosition_; }

    // Fraction 0..1 of rail `Index` under pointer X: the knob centred on X, clamped to the
    // travel.
    float PointerFraction(int Index, int X) const;
    // Left edge of the knob on rail `Index` as last drawn, in pixels.
    int KnobLeft(int Index) const;
    RailPicture* Rail(int Index) const;
    // Composes and shows rail `Index` again (after a resize or a palette change).
    void DrawRail(int Index);

private:
    struct RailPair {
        QPointer<RailPicture> rail;
        QPointer<RailKnob> knob;
        QPixmap emptyTrack;
        int knobLeft = 0;
        QMetaObject::Connection resized;
    };

    bool ValidIndex(int Index) const;
    bool Attached(int Index) const;
    int KnobLeftFor(const RailPair& pair) const;
    bool ShowsPosition(int Index) const;
    void PaintEmptyTrack(RailPair& pair);
    void DrawBothRails();
    void Detach(RailPair& pair);

    RailControlHost host_;
    std::array<RailPair, RailCount> rails_;
    float position_ = 0.0f;
    float mouseMovePosition_ = 0.0f;
};

}  // namespace vistrel
