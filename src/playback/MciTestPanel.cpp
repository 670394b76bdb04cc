// The MCI test panel (see MciTestPanel.h).
#include "playback/MciTestPanel.h"

#include "playback/MciVoice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vistrel {

namespace {
constexpr int kPanelHeight = 70;
constexpr int kDigitButtonWidth = 28;
}  // namespace

MciTestPanel::MciTestPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("MciTestPanel");
    BuildControls();
}

QPushButton* MciTestPanel::MakeButton(const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    return button;
}

void MciTestPanel::BuildControls()
{
    commandEdit_ = new QLineEdit("status voice1 frames skipped", this);
    commandEdit_->setObjectName("commandEdit");
    sendButton_ = MakeButton("sendButton", "Send");
    replyLabel_ = new QLabel(this);
    replyLabel_->setObjectName("replyLabel");
    tracksButton_ = MakeButton("tracksButton", "Number Of Treks");
    audioStreamButton_ = MakeButton("audioStreamButton", "Audio Stream");
    for (int i = 0; i < int(setAudioStreamButtons_.size()); ++i)
        setAudioStreamButtons_[i] = MakeButton(QString("setAudioStreamButtons_%1").arg(i), QString::number(i + 1));
    for (int i = 0; i < int(cannedButtons_.size()); ++i)
        cannedButtons_[i] = MakeButton(QString("cannedButtons_%1").arg(i), QString::number(i));
    secondCommandEdit_ = new QLineEdit("status voice1 speed 50", this);
    secondCommandEdit_->setObjectName("secondCommandEdit");
    secondSendButton_ = MakeButton("secondSendButton", "send");
    deviceTypeBox_ = new QComboBox(this);
    deviceTypeBox_->setObjectName("deviceTypeBox");
    deviceTypeBox_->setEditable(false);
    deviceTypeBox_->addItems({"MPegVideo", "MPegVideo2", "DigitalVideo", "AVIVideo", "WAVEAudio", "ActiveMovie", ""});
    deviceTypeBox_->setCurrentIndex(-1);

    auto* top = new QHBoxLayout;
    top->addWidget(commandEdit_, 2);
    top->addWidget(sendButton_);
    top->addWidget(replyLabel_, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(tracksButton_);
    bottom->addWidget(audioStreamButton_);
    for (QPushButton* button : setAudioStreamButtons_)
        bottom->addWidget(button);
    for (QPushButton* button : cannedButtons_)
        bottom->addWidget(button);
    for (QPushButton* button : setAudioStreamButtons_)
        button->setMaximumWidth(kDigitButtonWidth);
    for (QPushButton* button : cannedButtons_)
        button->setMaximumWidth(kDigitButtonWidth);
    bottom->addWidget(secondCommandEdit_, 1);
    bottom->addWidget(secondSendButton_);
    bottom->addWidget(deviceTypeBox_);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(2, 2, 2, 2);
    rows->setSpacing(2);
    rows->addLayout(top);
    rows->addLayout(bottom);
    setMaximumHeight(kPanelHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(sendButton_, &QPushButton::clicked, this, &MciTestPanel::SendTypedCommand);
    connect(tracksButton_, &QPushButton::clicked, this, &MciTestPanel::AskNumberOfTracks);
    connect(audioStreamButton_, &QPushButton::clicked, this, &MciTestPanel::AskAudioStream);
    for (int i = 0; i < int(setAudioStreamButtons_.size()); ++i)
        connect(setAudioStreamButtons_[i], &QPushButton::clicked, this, [this, i] { ChooseAudioStream(i); });
    for (int i = 0; i < int(cannedButtons_.size()); ++i)
        connect(cannedButtons_[i], &QPushButton::clicked, this, [this, i] { SendCannedCommand(i); });
    connect(secondSendButton_, &QPushButton::clicked, this, &MciTestPanel::SendSecondCommand);
}

std::string MciTestPanel::DeviceTypeText() const
{
    return deviceTypeBox_->currentText().toStdString();
}

void MciTestPanel::SendTypedCommand()
{
    std::string reply;
    const MciError code = MciVoice::SendMCICommand(commandEdit_->text().toStdString(), reply);
    replyLabel_->setText(QString::fromStdString(">" + reply + "<  " + MciVoice::GetMCIErrorText(code)));
    commandEdit_->setFocus();
}

void MciTestPanel::SendAndShowReply(const std::string& command)
{
    std::string reply;
    const MciError code = MciVoice::SendMCICommand(command, reply);
    replyLabel_->setText(QString::fromStdString(code == 0 ? reply : MciVoice::GetMCIErrorText(code)));
}

void MciTestPanel::AskNumberOfTracks()
{
    SendAndShowReply("status voice1 number of audio tracks");
}

void MciTestPanel::AskAudioStream()
{
    SendAndShowReply("status voice1 audio stream");
}

void MciTestPanel::ChooseAudioStream(int index)
{
    SendAndShowReply("setaudio voice1 stream to " + std::to_string(index + 1));
}

void MciTestPanel::SendCannedCommand(int index)
{
    std::string reply;
    MciVoice::SendMCICommand("setaudio voice1 stream to " + std::to_string(index), reply);
}

void MciTestPanel::SendSecondCommand()
{
    std::string reply;
    MciVoice::SendMCICommand(secondCommandEdit_->text().toStdString(), reply);
}

}  // namespace vistrel
