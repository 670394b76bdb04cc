// Part 3.1 H: the MCI test panel.
#include "playback/MciTestPanel.h"

#include "playback/basMCIvoice1.h"

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
    txtMciCmd_ = new QLineEdit("status voice1 frames skipped", this);
    txtMciCmd_->setObjectName("txtMciCmd");
    cmdMCIResult_ = MakeButton("cmdMCIResult", "Send");
    lblMciResult_ = new QLabel(this);
    lblMciResult_->setObjectName("lblMciResult");
    cmdStatusNumberOfTracks_ = MakeButton("cmdStatusNumberOfTracks", "Number Of Treks");
    cmdStatusAudioStream_ = MakeButton("cmdStatusAudioStream", "Audio Stream");
    for (int i = 0; i < int(cmdSetAudioStream_.size()); ++i)
        cmdSetAudioStream_[i] = MakeButton(QString("cmdSetAudioStream_%1").arg(i), QString::number(i + 1));
    for (int i = 0; i < int(Command1_.size()); ++i)
        Command1_[i] = MakeButton(QString("Command1_%1").arg(i), QString::number(i));
    Text1_ = new QLineEdit("status voice1 speed 50", this);
    Text1_->setObjectName("Text1");
    Command2_ = MakeButton("Command2", "send");
    cboMType_ = new QComboBox(this);
    cboMType_->setObjectName("cboMType");
    cboMType_->setEditable(false);
    cboMType_->addItems({"MPegVideo", "MPegVideo2", "DigitalVideo", "AVIVideo", "WAVEAudio", "ActiveMovie", ""});
    cboMType_->setCurrentIndex(-1);

    auto* top = new QHBoxLayout;
    top->addWidget(txtMciCmd_, 2);
    top->addWidget(cmdMCIResult_);
    top->addWidget(lblMciResult_, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdStatusNumberOfTracks_);
    bottom->addWidget(cmdStatusAudioStream_);
    for (QPushButton* button : cmdSetAudioStream_)
        bottom->addWidget(button);
    for (QPushButton* button : Command1_)
        bottom->addWidget(button);
    for (QPushButton* button : cmdSetAudioStream_)
        button->setMaximumWidth(kDigitButtonWidth);
    for (QPushButton* button : Command1_)
        button->setMaximumWidth(kDigitButtonWidth);
    bottom->addWidget(Text1_, 1);
    bottom->addWidget(Command2_);
    bottom->addWidget(cboMType_);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(2, 2, 2, 2);
    rows->setSpacing(2);
    rows->addLayout(top);
    rows->addLayout(bottom);
    setMaximumHeight(kPanelHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(cmdMCIResult_, &QPushButton::clicked, this, &MciTestPanel::cmdMCIResult_Click);
    connect(cmdStatusNumberOfTracks_, &QPushButton::clicked, this, &MciTestPanel::cmdStatusNumberOfTracks_Click);
    connect(cmdStatusAudioStream_, &QPushButton::clicked, this, &MciTestPanel::cmdStatusAudioStream_Click);
    for (int i = 0; i < int(cmdSetAudioStream_.size()); ++i)
        connect(cmdSetAudioStream_[i], &QPushButton::clicked, this, [this, i] { cmdSetAudioStream_Click(i); });
    for (int i = 0; i < int(Command1_.size()); ++i)
        connect(Command1_[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    connect(Command2_, &QPushButton::clicked, this, &MciTestPanel::Command2_Click);
}

std::string MciTestPanel::DeviceTypeText() const
{
    return cboMType_->currentText().toStdString();
}

void MciTestPanel::cmdMCIResult_Click()
{
    std::string reply;
    const MciError code = basMCIvoice1::SendMCICommand(txtMciCmd_->text().toStdString(), reply);
    lblMciResult_->setText(QString::fromStdString(">" + reply + "<  " + basMCIvoice1::GetMCIErrorText(code)));
    txtMciCmd_->setFocus();
}

void MciTestPanel::SendAndShowReply(const std::string& command)
{
    std::string reply;
    const MciError code = basMCIvoice1::SendMCICommand(command, reply);
    lblMciResult_->setText(QString::fromStdString(code == 0 ? reply : basMCIvoice1::GetMCIErrorText(code)));
}

void MciTestPanel::cmdStatusNumberOfTracks_Click()
{
    SendAndShowReply("status voice1 number of audio tracks");
}

void MciTestPanel::cmdStatusAudioStream_Click()
{
    SendAndShowReply("status voice1 audio stream");
}

void MciTestPanel::cmdSetAudioStream_Click(int index)
{
    SendAndShowReply("setaudio voice1 stream to " + std::to_string(index + 1));
}

void MciTestPanel::Command1_Click(int index)
{
    std::string reply;
    basMCIvoice1::SendMCICommand("setaudio voice1 stream to " + std::to_string(index), reply);
}

void MciTestPanel::Command2_Click()
{
    std::string reply;
    basMCIvoice1::SendMCICommand(Text1_->text().toStdString(), reply);
}

}  // namespace vistrel
