#include "controls/FullscreenRailWidget.h"

#include "controls/PositionRailWidget.h"
#include "controls/RailControl.h"

#include <QHBoxLayout>
#include <QPushButton>

#include <algorithm>

namespace vistrel {

namespace {
constexpr int kMinWidthAt96 = 400;
constexpr int kMarginAt96 = 2;
}  // namespace

FullscreenRailWidget::FullscreenRailWidget(int dpi, QWidget* parent) : QWidget(parent), dpi_(dpi > 0 ? dpi : 96)
{
    setObjectName("fullscreenRail");
    // Its own X window keeps it above the engine's window, which is re-parented into the
    // same video window; it must never take the focus from the window that handles the keys.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    BuildPlayButtons();
    BuildRail();
    LayOut();
}

int FullscreenRailWidget::Scaled(int pixelsAt96) const
{
    return ScaledPixels(pixelsAt96, dpi_);
}

void FullscreenRailWidget::BuildPlayButtons()
{
    const char* captions[] = {"Play", "Pause", "Stop"};
    for (int i = 0; i < 3; ++i) {
        playButtons[i] = new QPushButton(captions[i], this);
        playButtons[i]->setObjectName(QString("fullscreenRailPlayButtons_%1").arg(i));
        playButtons[i]->setFocusPolicy(Qt::NoFocus);
        connect(playButtons[i], &QPushButton::clicked, this, [this, i] { emit PlayControlClicked(i); });
    }
}

void FullscreenRailWidget::BuildRail()
{
    const int railHeight = Scaled(kRailHeightAt96);
    railPicture = new RailPicture(this);
    railPicture->setObjectName("fullscreenRailPicture");
    railPicture->setFixedHeight(railHeight);
    railPicture->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // This rail draws its knob one pixel down: one pixel shorter each side keeps it within
    // the sunken edge.
    railKnob = new RailKnob(railPicture);
    railKnob->setObjectName("fullscreenRailKnob");
    railKnob->setGeometry(0, 0, Scaled(kKnobWidthAt96), railHeight - 2);
    elapsedLabel = new TimeLabel("fullscreenRailElapsedLabel", railHeight, Scaled(4), this);
    lengthLabel = new TimeLabel("fullscreenRailLengthLabel", railHeight, Scaled(4), this);
}

void FullscreenRailWidget::LayOut()
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Scaled(kMarginAt96), Scaled(kMarginAt96), Scaled(kMarginAt96), Scaled(kMarginAt96));
    row->setSpacing(Scaled(2));
    // The buttons take the height the time labels give the row, so the strip fits its times.
    for (QPushButton* button : playButtons) {
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
        row->addWidget(button);
    }
    row->addWidget(railPicture, 1);
    row->addWidget(elapsedLabel);
    row->addWidget(lengthLabel);
}

QSize FullscreenRailWidget::PreferredSizeFor(int parentWidth) const
{
    const int width = std::min(parentWidth, std::max(parentWidth * 3 / 5, Scaled(kMinWidthAt96)));
    return {std::max(width, 0), sizeHint().height()};
}

}  // namespace vistrel
