#pragma once
// The MCI back end. Routines that build MCI command strings for the one device kept open
// under the alias "voice1", send them through the MCI command service (src/platform/mci/)
// and turn the replies into numbers and texts. GUI thread only; with one device, its state
// (MCILastError) is module-wide.
#include "platform/mci/MciService.h"
#include "support/TitleState.h"
#include "support/WindowHandle.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vistrel {

// The two calls of the MCI command service. Tests install a recorder; empty members mean
// the service itself (mciSendString, mciGetErrorString).
struct MciCommandSender {
    std::function<MciError(const std::string& command, std::string& reply)> send;
    std::function<std::string(MciError code)> errorText;
};

// What OpenVoice1 and SeekVoice1 ask of the platform and of the main window, which
// wires them; an unset hook gives the answer named beside it.
struct MciVoiceHooks {
    std::function<bool()> IsMainWindowForeground;           // unset: false
    std::function<void()> ForceMainWindowForeground;        // raise and activate; unset: nothing
    std::function<bool(WindowHandle)> HasChildWindow;       // the window has a child; unset: false
    std::function<int32_t()> MainWindowMonitorWidth;        // pixels; unset: 0
    // separateVideoWindow's handle. Unset: a video never moves to the separate window.
    std::function<WindowHandle()> SeparateVideoWindow;
    std::function<std::string()> DeviceTypeOverride;        // text of deviceTypeBox; unset: ""
    std::function<void(int32_t ms)> Sleep;                  // unset: a real blocking wait
    const TitleState* Title = nullptr;                      // CurrentTitleLengthMS; unset: 0
};

namespace MciVoice {

inline MciError MCILastError = 0;
inline MciVoiceHooks Hooks;

// Replaces the command sender; pass {} to go back to the MCI service.
void SetCommandSender(MciCommandSender sender);

// The MCI service as the default sender (MciVoiceService.cpp).
MciError ServiceSendString(const std::string& command, std::string& reply);
std::string ServiceErrorString(MciError code);

MciError SendMCICommand(const std::string& command, std::string& reply);
std::string GetMCIErrorText(MciError code);

// `reportFailure` false leaves the error box to the caller (MCILastError holds the code).
bool OpenVoice1(const std::string& fileName, WindowHandle parent, int32_t volume, bool reportFailure = true);
MciError OpenVoice1File(const std::string& fileName, const std::string& clause);
MciError CloseVoice1();
bool PlayVoice1();
MciError PauseVoice1();
MciError ResumeVoice1();
MciError StopVoice1();
// thenPlay false: the device stays stopped at the target (a paused title stays paused).
MciError SeekVoice1(int32_t targetMs, bool showFrame, bool thenPlay = true);
MciError SetVoice1TimeFormat(const std::string& format);
void SetVoice1Volume(int32_t volume);
std::string GetVoice1Mode();
int32_t GetVoice1Length();
int32_t GetVoice1Position();
WindowHandle GetVoice1Window();
double GetVoice1FrameRate();
// The frame's size, and the height/width of one pixel (0 for square pixels or when the
// device cannot say); false when the device has no video or cannot say its size.
bool GetVoice1VideoSize(int32_t& width, int32_t& height, double& pixelShape);

// The decimal number at the start of a reply, after blanks (" 1234 ms" gives 1234); 0
// when the text does not start with one.
double ReadLeadingNumber(const std::string& text);

// Messages of the MCI back end and the player front: exclamation icon, the program's title.
void ShowExclamation(const std::string& text);

}  // namespace MciVoice
}  // namespace vistrel
