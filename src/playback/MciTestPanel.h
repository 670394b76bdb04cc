#pragma once
// The MCI test panel below the main window's normal area (seen when the window is
// enlarged with expandButton). Sends typed and canned commands through SendMCICommand;
// its codes are not stored in MCILastError. deviceTypeBox is the device-type override of
// OpenVoice1: the main window hands DeviceTypeText to
// MciVoice::Hooks.DeviceTypeOverride.
#include <QWidget>

#include <array>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vistrel {

class MciTestPanel : public QWidget {
    Q_OBJECT

public:
    explicit MciTestPanel(QWidget* parent = nullptr);

    // The text of deviceTypeBox (empty at start).
    std::string DeviceTypeText() const;

public slots:
    void SendTypedCommand();
    void AskNumberOfTracks();
    void AskAudioStream();
    void ChooseAudioStream(int index);
    void SendCannedCommand(int index);
    void SendSecondCommand();

private:
    void BuildControls();
    QPushButton* MakeButton(const QString& name, const QString& caption);
    // Sends `command`; the label shows the reply, or the error text on failure.
    void SendAndShowReply(const std::string& command);

    QLineEdit* commandEdit_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QLabel* replyLabel_ = nullptr;
    QPushButton* tracksButton_ = nullptr;
    QPushButton* audioStreamButton_ = nullptr;
    std::array<QPushButton*, 2> setAudioStreamButtons_{};
    std::array<QPushButton*, 3> cannedButtons_{};
    QLineEdit* secondCommandEdit_ = nullptr;
    QPushButton* secondSendButton_ = nullptr;
    QComboBox* deviceTypeBox_ = nullptr;
};

}  // namespace vistrel
