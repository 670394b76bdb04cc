#pragma once
// The main window's rail row: seekButtons(0) "Seek Backward", the rail
// railPicture with its hidden knob railKnob, seekButtons(1) "Seek Forward", the
// time labels elapsedLabel and lengthLabel. Sizes
// follow the logical dpi (ScreenDpi). The logic lives in PositionRail.
#include <QLabel>
#include <QPoint>
#include <QWidget>

#include <array>

namespace vistrel {

class RailKnob;
class RailPicture;

// The rail's height and the knob's width at 96 dpi, shared by the main and fullscreen rails.
inline constexpr int kRailHeightAt96 = 20;
inline constexpr int kKnobWidthAt96 = 11;
// Pixel size at `dpi` for a size given at 96 dpi.
int ScaledPixels(int pixelsAt96, int dpi);

// Arrow image side in pixels: 9 up to 143 dpi, 18 from 144, 24 from 288.
int SeekArrowImageSize(int dpi);
// Offset of the arrow inside a button of `buttonSize` pixels: centred from 144 dpi, fixed
// below.
QPoint SeekArrowOffset(int dpi, QSize buttonSize, int imageSize);

// One seek button: index 0 points left (backward), 1 right (forward).
class SeekButton : public QWidget {
    Q_OBJECT

public:
    SeekButton(int index, int dpi, QWidget* parent = nullptr);
    int Index() const { return index_; }
    bool Pressed() const { return pressed_; }
    // Where the arrow image was last drawn (its top-left corner), in pixels.
    QPoint ImagePos() const { return imagePos_; }
    int ImageSize() const { return imageSize_; }
    void DrawPressed();
    void DrawReleased();

signals:
    void MouseDown(int Button);
    void MouseUp(int Button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintArrow(class QPainter& painter, QPoint at) const;

    int index_;
    int dpi_;
    int imageSize_;
    bool offsetComputed_ = false;
    QPoint offset_;
    QPoint imagePos_;
    bool pressed_ = false;
};

// A time label ("m:ss") of a fixed size: wide enough for "0000:00", as high as the rail.
// Its text changes every second while a title plays; a label whose size may change would
// lay out the whole window again each time.
class TimeLabel : public QLabel {
    Q_OBJECT

public:
    TimeLabel(const char* name, int minHeight, int padding, QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;

private:
    void FitSize();

    int minHeight_;
    int padding_;
};

class PositionRailWidget : public QWidget {
    Q_OBJECT

public:
    explicit PositionRailWidget(int dpi, QWidget* parent = nullptr);

    int Dpi() const { return dpi_; }
    // Pixel size for a size given at 96 dpi.
    int Scaled(int pixelsAt96) const;

    std::array<SeekButton*, 2> seekButtons{};
    RailPicture* railPicture = nullptr;
    RailKnob* railKnob = nullptr;
    QLabel* elapsedLabel = nullptr;
    QLabel* lengthLabel = nullptr;

private:
    int dpi_;
};

}  // namespace vistrel
