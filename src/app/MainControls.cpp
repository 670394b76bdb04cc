#include "app/MainControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
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

// A label that acts as a button (picLoop, lblOvl, lblMediaInterface).
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
    QGroupBox* VolumeFrame();
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
    c_.Drive1 = Named(new QComboBox(central_), "Drive1");
    c_.Dir1 = Named(new QListWidget(central_), "Dir1");
    c_.FilesVListBox = Named(new QListWidget(central_), "FilesVListBox");
    c_.FilesVListBox->setAccessibleName("Media files");
    auto* column = new QVBoxLayout;
    column->addWidget(c_.Drive1);
    column->addWidget(c_.Dir1, 1);
    column->addWidget(c_.FilesVListBox, 2);
    return column;
}

QHBoxLayout* Builder::PlayButtons()
{
    const char* captions[] = {"Play", "Pause", "Stop"};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        c_.cmdPlayControl[i] = Named(new QPushButton(captions[i], central_), Indexed("cmdPlayControl", i));
        row->addWidget(c_.cmdPlayControl[i]);
    }
    const char* skipCaptions[] = {"|<<", ">>|"};
    const char* skipTips[] = {"Previous file", "Next file"};
    for (int i = 0; i < 2; ++i) {
        c_.cmdSkip[i] = Named(new QPushButton(skipCaptions[i], central_), Indexed("cmdSkip", i));
        c_.cmdSkip[i]->setToolTip(skipTips[i]);
        c_.cmdSkip[i]->setMaximumWidth(Scaled(40, dpi_));
        row->addWidget(c_.cmdSkip[i]);
    }
    row->addSpacing(Scaled(8, dpi_));
    c_.picLoop = ClickableLabel(central_, "picLoop", QString::fromUtf8("\u27f3"));
    c_.picLoop->setToolTip("Loop");
    c_.chkLoop = Named(new QCheckBox("Loop", central_), "chkLoop");
    c_.chkPlayAll = Named(new QCheckBox("Play all", central_), "chkPlayAll");
    c_.chkPlayAll->setToolTip("Play all selected files in turn");
    c_.chkPlayOverlapped = Named(new QCheckBox(central_), "chkPlayOverlapped");
    c_.lblOvl = ClickableLabel(central_, "lblOvl", "Overlapped");
    c_.lblOvl->setToolTip("The next title starts shortly before the current one ends");
    c_.chkVideoSideBySide = Named(new QCheckBox("App and Video", central_), "chkVideoSideBySide");
    c_.chkVideoSideBySide->setToolTip("Scale down video to keep the app visible side by side");
    for (QWidget* w : {static_cast<QWidget*>(c_.picLoop), static_cast<QWidget*>(c_.chkLoop),
                       static_cast<QWidget*>(c_.chkPlayAll), static_cast<QWidget*>(c_.chkPlayOverlapped),
                       static_cast<QWidget*>(c_.lblOvl), static_cast<QWidget*>(c_.chkVideoSideBySide)})
        row->addWidget(w);
    row->addStretch();
    return row;
}

QVBoxLayout* Builder::FormatLabels()
{
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    for (int i = 0; i < 7; ++i) {
        c_.lblFormatInfo[i] = Named(new QLabel(central_), Indexed("lblFormatInfo", i));
        c_.lblFormatInfo[i]->setMinimumWidth(Scaled(200, dpi_));
        c_.lblFormatInfo[i]->setTextFormat(Qt::PlainText);
        column->addWidget(c_.lblFormatInfo[i]);
    }
    QFont bold = c_.lblFormatInfo[0]->font();
    bold.setBold(true);
    c_.lblFormatInfo[0]->setFont(bold);
    return column;
}

QHBoxLayout* Builder::SpeedRow()
{
    c_.picPlaySpeedRail = Named(new QFrame(central_), "picPlaySpeedRail");
    c_.picPlaySpeedRail->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c_.picPlaySpeedRail->setFixedHeight(Scaled(16, dpi_));
    c_.picPlaySpeedRail->setMinimumWidth(Scaled(120, dpi_));
    c_.picPlaySpeedSlider = Named(new QFrame(c_.picPlaySpeedRail), "picPlaySpeedSlider");
    c_.picPlaySpeedSlider->setFrameStyle(QFrame::Panel | QFrame::Raised);
    c_.picPlaySpeedSlider->setFixedSize(Scaled(10, dpi_), Scaled(14, dpi_));
    c_.picPlaySpeedLabel = Named(new QLabel(central_), "picPlaySpeedLabel");
    c_.picPlaySpeedLabel->hide();
    c_.lblPlaySpeed = Named(new QLabel("100%", central_), "lblPlaySpeed");
    c_.cboSpeeds = Named(new QComboBox(central_), "cboSpeeds");
    c_.cboSpeeds->addItems({"100", "400", "800", "1600"});
    c_.cboSpeeds->setToolTip("Play speed in percent");
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Speed", central_));
    row->addWidget(c_.picPlaySpeedRail, 1);
    row->addWidget(c_.lblPlaySpeed);
    row->addWidget(c_.cboSpeeds);
    return row;
}

QGroupBox* Builder::VolumeFrame()
{
    c_.fraVolume = Named(new QGroupBox("Volume", central_), "fraVolume");
    auto* row = new QHBoxLayout(c_.fraVolume);
    const char* labels[] = {"Master", "Wave", "MIDI", "Local"};
    for (int i = 0; i < 4; ++i) {
        auto* column = new QVBoxLayout;
        c_.imgSlider[i] = Named(new QSlider(Qt::Vertical, c_.fraVolume), Indexed("imgSlider", i));
        c_.imgSlider[i]->setRange(0, 1000);
        c_.imgSlider[i]->setFixedHeight(Scaled(60, dpi_));
        c_.lblVol[i] = Named(new QLabel(labels[i], c_.fraVolume), Indexed("lblVol", i));
        column->addWidget(c_.imgSlider[i], 0, Qt::AlignHCenter);
        column->addWidget(c_.lblVol[i], 0, Qt::AlignHCenter);
        row->addLayout(column);
    }
    return c_.fraVolume;
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
    c_.picMoveToButton = MenuButton("picMoveToButton", "Move To:");
    c_.picCopyToButton = MenuButton("picCopyToButton", "Copy To:");
    c_.picGotoButton = MenuButton("picGotoButton", "Go To:");
    c_.cmdSettings = Named(new QPushButton("Settings...", central_), "cmdSettings");
    c_.lblMediaInterface = ClickableLabel(central_, "lblMediaInterface", "MCI");
    c_.lblMediaInterface->setToolTip("Media interface (click to switch)");
    c_.lblMediaInterface->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* row = new QHBoxLayout;
    row->addWidget(c_.picMoveToButton);
    row->addWidget(c_.picCopyToButton);
    row->addWidget(c_.picGotoButton);
    row->addStretch();
    row->addWidget(c_.lblMediaInterface);
    row->addWidget(c_.cmdSettings);
    return row;
}

QWidget* Builder::VideoArea()
{
    c_.picVidParent = Named(new QWidget(central_), "picVidParent");
    c_.picVidParent->setAttribute(Qt::WA_NativeWindow);
    c_.picVidParent->setAttribute(Qt::WA_DontCreateNativeAncestors);
    c_.picVidParent->setAutoFillBackground(true);
    QPalette black = c_.picVidParent->palette();
    black.setColor(QPalette::Window, Qt::black);
    c_.picVidParent->setPalette(black);
    c_.picVidParent->setMinimumSize(Scaled(160, dpi_), Scaled(90, dpi_));
    c_.picVidParent->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    c_.picVidParent->hide();
    return c_.picVidParent;
}

QFrame* Builder::TipBox()
{
    c_.picTipCreateTempCopy = Named(new QFrame(central_), "picTipCreateTempCopy");
    c_.picTipCreateTempCopy->setFrameStyle(QFrame::Box | QFrame::Plain);
    c_.picTipCreateTempCopy->setAutoFillBackground(true);
    c_.picTipCreateTempCopy->setBackgroundRole(QPalette::ToolTipBase);
    c_.lblCreateTempCopy = Named(new QLabel(c_.picTipCreateTempCopy), "lblCreateTempCopy");
    c_.lblCreateTempCopy->setForegroundRole(QPalette::ToolTipText);
    auto* layout = new QHBoxLayout(c_.picTipCreateTempCopy);
    layout->addWidget(c_.lblCreateTempCopy);
    c_.picTipCreateTempCopy->hide();
    return c_.picTipCreateTempCopy;
}

QHBoxLayout* Builder::BottomRow(const QString& homepageUrl)
{
    c_.lblHomepage = Named(new QLabel(QString("<a href=\"%1\">Homepage</a>").arg(homepageUrl), central_),
                           "lblHomepage");
    c_.lblHomepage->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    c_.cmdExpand = Named(new QPushButton("v", central_), "cmdExpand");
    c_.cmdExpand->setToolTip("Show the MCI test panel");
    c_.cmdExpand->setMaximumWidth(Scaled(30, dpi_));
    c_.cmdClose = Named(new QPushButton("Close", central_), "cmdClose");
    auto* row = new QHBoxLayout;
    row->addWidget(c_.lblHomepage);
    row->addStretch();
    row->addWidget(c_.cmdExpand);
    row->addWidget(c_.cmdClose);
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
