#include "app/MainControls.h"

#include "controls/VolumeFrameWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vistrel {

namespace {

template <typename T>
T* Named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QString Indexed(const char* name, int index)
{
    return QString("%1_%2").arg(name).arg(index);
}

int Scaled(int pixels, int dpi)
{
    return pixels * dpi / 96;
}

// A label that acts as a button (loopIcon, overlappedLabel, mediaInterfaceLabel).
QLabel* ClickableLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = Named(new QLabel(text, parent), name);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

class Builder {
public:
    Builder(QWidget* central, int dpi, MainControls& c) : central_(central), dpi_(dpi), c_(c) {}

    QVBoxLayout* BrowserColumn();
    QHBoxLayout* PlayButtons();
    QVBoxLayout* FormatLabels();
    QHBoxLayout* SpeedRow();
    VolumeFrameWidget* VolumeFrame();
    QHBoxLayout* MenuButtons();
    QWidget* VideoArea();
    QFrame* TipBox();
    QHBoxLayout* BottomRow(const QString& homepageUrl);

private:
    QToolButton* MenuButton(const QString& name, const QString& text);

    QWidget* central_;
    int dpi_;
    MainControls& c_;
};

QVBoxLayout* Builder::BrowserColumn()
{
    c_.driveBox = Named(new QComboBox(central_), "driveBox");
    c_.folderList = Named(new QListWidget(central_), "folderList");
    c_.fileList = Named(new QListView(central_), "fileList");
    c_.fileList->setAccessibleName("Media files");
    auto* column = new QVBoxLayout;
    column->addWidget(c_.driveBox);
    column->addWidget(c_.folderList, 1);
    column->addWidget(c_.fileList, 2);
    return column;
}

QHBoxLayout* Builder::PlayButtons()
{
    const char* captions[] = {"Play", "Pause", "Stop"};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        c_.playButtons[i] = Named(new QPushButton(captions[i], central_), Indexed("playButtons", i));
        row->addWidget(c_.playButtons[i]);
    }
    const char* skipCaptions[] = {"|<<", ">>|"};
    const char* skipTips[] = {"Previous file", "Next file"};
    for (int i = 0; i < 2; ++i) {
        c_.skipButtons[i] = Named(new QPushButton(skipCaptions[i], central_), Indexed("skipButtons", i));
        c_.skipButtons[i]->setToolTip(skipTips[i]);
        c_.skipButtons[i]->setMaximumWidth(Scaled(40, dpi_));
        row->addWidget(c_.skipButtons[i]);
    }
    row->addSpacing(Scaled(8, dpi_));
    c_.loopIcon = ClickableLabel(central_, "loopIcon", QString::fromUtf8("\u27f3"));
    c_.loopIcon->setToolTip("Loop");
    c_.loopCheck = Named(new QCheckBox("Loop", central_), "loopCheck");
    c_.playAllCheck = Named(new QCheckBox("Play all", central_), "playAllCheck");
    c_.playAllCheck->setToolTip("Play all selected files in turn");
    c_.overlappedCheck = Named(new QCheckBox(central_), "overlappedCheck");
    c_.overlappedLabel = ClickableLabel(central_, "overlappedLabel", "Overlapped");
    c_.overlappedLabel->setToolTip("The next title starts shortly before the current one ends");
    c_.videoSideBySideCheck = Named(new QCheckBox("App and Video", central_), "videoSideBySideCheck");
    c_.videoSideBySideCheck->setToolTip("Scale down video to keep the app visible side by side");
    for (QWidget* w : {static_cast<QWidget*>(c_.loopIcon), static_cast<QWidget*>(c_.loopCheck),
                       static_cast<QWidget*>(c_.playAllCheck), static_cast<QWidget*>(c_.overlappedCheck),
                       static_cast<QWidget*>(c_.overlappedLabel), static_cast<QWidget*>(c_.videoSideBySideCheck)})
        row->addWidget(w);
    row->addStretch();
    return row;
}

QVBoxLayout* Builder::FormatLabels()
{
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    for (int i = 0; i < 7; ++i) {
        c_.formatInfoLabels[i] = Named(new QLabel(central_), Indexed("formatInfoLabels", i));
        c_.formatInfoLabels[i]->setMinimumWidth(Scaled(200, dpi_));
        c_.formatInfoLabels[i]->setTextFormat(Qt::PlainText);
        column->addWidget(c_.formatInfoLabels[i]);
    }
    QFont bold = c_.formatInfoLabels[0]->font();
    bold.setBold(true);
    c_.formatInfoLabels[0]->setFont(bold);
    return column;
}

QHBoxLayout* Builder::SpeedRow()
{
    c_.speedRail = Named(new QFrame(central_), "speedRail");
    c_.speedRail->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c_.speedRail->setFixedHeight(Scaled(16, dpi_));
    c_.speedRail->setMinimumWidth(Scaled(120, dpi_));
    c_.speedKnob = Named(new QFrame(c_.speedRail), "speedKnob");
    c_.speedKnob->setFrameStyle(QFrame::Panel | QFrame::Raised);
    c_.speedKnob->setFixedSize(Scaled(10, dpi_), Scaled(14, dpi_));
    c_.speedRailLabel = Named(new QLabel(central_), "speedRailLabel");
    c_.speedRailLabel->hide();
    c_.playSpeedLabel = Named(new QLabel("100%", central_), "playSpeedLabel");
    c_.speedList = Named(new QComboBox(central_), "speedList");
    c_.speedList->addItems({"100", "400", "800", "1600"});
    c_.speedList->setToolTip("Play speed in percent");
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Speed", central_));
    row->addWidget(c_.speedRail, 1);
    row->addWidget(c_.playSpeedLabel);
    row->addWidget(c_.speedList);
    return row;
}

VolumeFrameWidget* Builder::VolumeFrame()
{
    c_.volumeFrame = Named(new VolumeFrameWidget(dpi_, central_), "volumeFrame");
    return c_.volumeFrame;
}

QToolButton* Builder::MenuButton(const QString& name, const QString& text)
{
    auto* button = Named(new QToolButton(central_), name);
    button->setText(text);
    button->setPopupMode(QToolButton::InstantPopup);
    return button;
}

QHBoxLayout* Builder::MenuButtons()
{
    c_.moveToButton = MenuButton("moveToButton", "Move To:");
    c_.copyToButton = MenuButton("copyToButton", "Copy To:");
    c_.goToButton = MenuButton("goToButton", "Go To:");
    c_.settingsButton = Named(new QPushButton("Settings...", central_), "settingsButton");
    c_.mediaInterfaceLabel = ClickableLabel(central_, "mediaInterfaceLabel", "MCI");
    c_.mediaInterfaceLabel->setToolTip("Media interface (click to switch)");
    c_.mediaInterfaceLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* row = new QHBoxLayout;
    row->addWidget(c_.moveToButton);
    row->addWidget(c_.copyToButton);
    row->addWidget(c_.goToButton);
    row->addStretch();
    row->addWidget(c_.mediaInterfaceLabel);
    row->addWidget(c_.settingsButton);
    return row;
}

QWidget* Builder::VideoArea()
{
    c_.videoArea = Named(new QWidget(central_), "videoArea");
    c_.videoArea->setAttribute(Qt::WA_NativeWindow);
    c_.videoArea->setAttribute(Qt::WA_DontCreateNativeAncestors);
    c_.videoArea->setAutoFillBackground(true);
    QPalette black = c_.videoArea->palette();
    black.setColor(QPalette::Window, Qt::black);
    c_.videoArea->setPalette(black);
    c_.videoArea->setMinimumSize(Scaled(160, dpi_), Scaled(90, dpi_));
    c_.videoArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    c_.videoArea->hide();
    return c_.videoArea;
}

QFrame* Builder::TipBox()
{
    c_.tipBox = Named(new QFrame(central_), "tipBox");
    c_.tipBox->setFrameStyle(QFrame::Box | QFrame::Plain);
    c_.tipBox->setAutoFillBackground(true);
    c_.tipBox->setBackgroundRole(QPalette::ToolTipBase);
    c_.tipLabel = Named(new QLabel(c_.tipBox), "tipLabel");
    c_.tipLabel->setForegroundRole(QPalette::ToolTipText);
    auto* layout = new QHBoxLayout(c_.tipBox);
    layout->addWidget(c_.tipLabel);
    c_.tipBox->hide();
    return c_.tipBox;
}

QHBoxLayout* Builder::BottomRow(const QString& homepageUrl)
{
    c_.homepageLabel = Named(new QLabel(QString("<a href=\"%1\">Homepage</a>").arg(homepageUrl), central_),
                           "homepageLabel");
    c_.homepageLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    c_.expandButton = Named(new QPushButton("v", central_), "expandButton");
    c_.expandButton->setToolTip("Show the MCI test panel");
    c_.expandButton->setMaximumWidth(Scaled(30, dpi_));
    c_.closeButton = Named(new QPushButton("Close", central_), "closeButton");
    auto* row = new QHBoxLayout;
    row->addWidget(c_.homepageLabel);
    row->addStretch();
    row->addWidget(c_.expandButton);
    row->addWidget(c_.closeButton);
    return row;
}

}  // namespace

MainControls BuildMainControls(QWidget* central, int dpi, const QString& homepageUrl)
{
    MainControls c;
    Builder build(central, dpi, c);
    auto* player = new QVBoxLayout;
    player->addLayout(build.PlayButtons());
    auto* infoAndVolume = new QHBoxLayout;
    infoAndVolume->addLayout(build.FormatLabels(), 1);
    infoAndVolume->addWidget(build.VolumeFrame(), 0, Qt::AlignTop);
    player->addLayout(infoAndVolume);
    c.railRow = new QHBoxLayout;
    player->addLayout(c.railRow);
    player->addLayout(build.SpeedRow());
    player->addLayout(build.MenuButtons());
    player->addWidget(build.TipBox());
    player->addWidget(build.VideoArea(), 1);
    player->addStretch(0);

    auto* top = new QHBoxLayout;
    top->addLayout(build.BrowserColumn(), 2);
    top->addLayout(player, 3);
    auto* window = new QVBoxLayout(central);
    window->addLayout(top, 1);
    window->addLayout(build.BottomRow(homepageUrl));
    c.mciPanelSlot = new QVBoxLayout;
    window->addLayout(c.mciPanelSlot);
    return c;
}

}  // namespace vistrel
