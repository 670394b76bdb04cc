#pragma once
// The strip shown over the bottom of the video in fullscreen, where the main window is
// hidden: the play buttons, the elapsed time and the title's length, and a second rail
// that PositionRail drives together with the main one. The video window owns, places,
// shows and hides it.
#include <QWidget>

#include <array>

class QLabel;
class QPushButton;

namespace vistrel {

class RailKnob;
class RailPicture;

class FullscreenRailWidget : public QWidget {
    Q_OBJECT

public:
    explicit FullscreenRailWidget(int dpi, QWidget* parent = nullptr);

    // Size in a video window `parentWidth` pixels wide: three fifths of it, but at least
    // 400 pixels at 96 dpi and never wider than the window; as high as the time labels.
    QSize PreferredSizeFor(int parentWidth) const;

    std::array<QPushButton*, 3> playButtons{};  // Play, Pause, Stop
    RailPicture* railPicture = nullptr;
    RailKnob* railKnob = nullptr;
    QLabel* elapsedLabel = nullptr;
    QLabel* lengthLabel = nullptr;

signals:
    // 0 Play, 1 Pause, 2 Stop.
    void PlayControlClicked(int index);

private:
    int Scaled(int pixelsAt96) const;
    void BuildPlayButtons();
    void BuildRail();
    void LayOut();

    int dpi_;
};

}  // namespace vistrel
