#pragma once
// Part 3.1 H: the MCI test panel below the main window's normal area (seen when the window
// is enlarged with cmdExpand, Part 1.3). Sends typed and canned commands through
// SendMCICommand; its codes are not stored in MCILastError. cboMType is the device-type
// override of OpenVoice1 (B.4): the main window hands DeviceTypeText to
// basMCIvoice1::Hooks.DeviceTypeOverride.
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

    // The text of cboMType (empty at start).
    std::string DeviceTypeText() const;

public slots:
    void cmdMCIResult_Click();
    void cmdStatusNumberOfTracks_Click();
    void cmdStatusAudioStream_Click();
    void cmdSetAudioStream_Click(int index);
    void Command1_Click(int index);
    void Command2_Click();

private:
    void BuildControls();
    QPushButton* MakeButton(const QString& name, const QString& caption);
    // Sends `command`; the label shows the reply, or the error text on failure.
    void SendAndShowReply(const std::string& command);

    QLineEdit* txtMciCmd_ = nullptr;
    QPushButton* cmdMCIResult_ = nullptr;
    QLabel* lblMciResult_ = nullptr;
    QPushButton* cmdStatusNumberOfTracks_ = nullptr;
    QPushButton* cmdStatusAudioStream_ = nullptr;
    std::array<QPushButton*, 2> cmdSetAudioStream_{};
    std::array<QPushButton*, 3> Command1_{};
    QLineEdit* Text1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QComboBox* cboMType_ = nullptr;
};

}  // namespace vistrel
