// MCI voice commands (see MciVoice.h). The test panel is MciTestPanel.
#include "playback/MciVoice.h"

#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <sstream>
#include <thread>

namespace vistrel::MciVoice {
namespace {

MciCommandSender sender;

constexpr const char* kPlaying = "playing";
constexpr int32_t kFrameLeadMs = 100;      // played silently before the target
constexpr int32_t kFrameSettleMs = 110;    // the first wait of the frame display
constexpr int32_t kStepMs = 10;
constexpr int32_t kMaxFrameSteps = 200;    // mode polls of kStepMs: about 2 s at most
constexpr int32_t kReopenMinWidth = 800;   // wider monitors: the separate video window

// Most routines keep the code of each command they send in MCILastError.
MciError SendKept(const std::string& command, std::string& reply)
{
    MCILastError = SendMCICommand(command, reply);
    return MCILastError;
}

MciError SendKept(const std::string& command)
{
    std::string reply;
    return SendKept(command, reply);
}

MciError SendOnly(const std::string& command)
{
    std::string reply;
    return SendMCICommand(command, reply);
}

void Wait(int32_t ms)
{
    if (Hooks.Sleep)
        Hooks.Sleep(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool IsMainWindowForeground()
{
    return Hooks.IsMainWindowForeground && Hooks.IsMainWindowForeground();
}

std::string DeviceTypeOverride()
{
    return Hooks.DeviceTypeOverride ? Hooks.DeviceTypeOverride() : std::string{};
}

int32_t CurrentTitleLengthMS()
{
    return Hooks.Title ? Hooks.Title->CurrentTitleLengthMS : 0;
}

int32_t RoundToInt32(double value)
{
    return static_cast<int32_t>(std::lround(std::clamp(value, -2147483648.0, 2147483647.0)));
}

// The test panel's device-type override wins; AVI and Ogg ("OG...") files get a type of
// their own.
std::string TypeClause(const std::string& upperExt)
{
    const std::string override = DeviceTypeOverride();
    if (!override.empty())
        return "type " + override;
    if (upperExt == "AVI")
        return "type MPEGVideo";
    if (upperExt.rfind("OG", 0) == 0)
        return "type MPEGVideo2";
    return {};
}

// Five attempts, until one opens: the chosen type, two fixed types, no type, no clause.
bool OpenWithFallbacks(const std::string& fileName, WindowHandle parent, const std::string& typeClause)
{
    const std::string style = " style child parent " + std::to_string(parent) + " ";
    for (const std::string& clause :
         {style + typeClause, style + "type MPEGVideo2", style + "type MPEGVideo", style, std::string{}}) {
        if (OpenVoice1File(fileName, clause) == 0)
            return true;
    }
    return false;
}

void RestoreForeground(bool wasForeground)
{
    if (wasForeground && !IsMainWindowForeground() && Hooks.ForceMainWindowForeground)
        Hooks.ForceMainWindowForeground();
}

// A video window without a child on a monitor wider than 800 pixels plays in the
// separate video window instead. The window query is sent in any case, so that the
// commands sent and MCILastError do not depend on the hooks.
bool NeedsSeparateVideoWindow()
{
    const WindowHandle window = GetVoice1Window();
    if (window == 0 || !Hooks.SeparateVideoWindow)
        return false;
    const bool hasChild = Hooks.HasChildWindow && Hooks.HasChildWindow(window);
    const int32_t width = Hooks.MainWindowMonitorWidth ? Hooks.MainWindowMonitorWidth() : 0;
    return !hasChild && width > kReopenMinWidth;
}

bool ReopenInSeparateVideoWindow(const std::string& fileName)
{
    CloseVoice1();
    const std::string clause = " parent " + std::to_string(Hooks.SeparateVideoWindow()) + " " + " style child";
    return OpenVoice1File(fileName, clause) == 0;
}

// Plays the 100 ms before the target without sound, so a paused video ends showing the
// target frame; the waits are bounded (about 2.1 s in all).
void ShowFrameAt(int32_t target)
{
    const int32_t start = std::max(0, std::min(target - kFrameLeadMs, CurrentTitleLengthMS() - kFrameLeadMs));
    SendOnly("setaudio voice1 off");
    SendKept("play voice1 from " + std::to_string(start) + " to " + std::to_string(target));
    Wait(kFrameSettleMs);
    for (int32_t step = 0; step < kMaxFrameSteps && GetVoice1Mode() == kPlaying; ++step)
        Wait(kStepMs);
    Wait(kStepMs);
    SendOnly("setaudio voice1 on");
}

// The device stands stopped at the target after a seek; `thenPlay` continues into playback.
void SeekTo(int32_t target, bool thenPlay)
{
    SendKept("seek voice1 to " + std::to_string(target));
    if (thenPlay && GetVoice1Mode() != kPlaying)
        ResumeVoice1();
}

struct FrameRect {
    int32_t width = 0;
    int32_t height = 0;
};

// The size in a "where" reply ("0 0 W H"); empty when the query fails or names no area.
std::optional<FrameRect> WhereVoice1(const char* rect)
{
    std::string reply;
    if (SendMCICommand(std::string("where voice1 ") + rect, reply) != 0)
        return std::nullopt;
    std::istringstream words(reply);
    int32_t left = 0, top = 0;
    FrameRect size;
    if (!(words >> left >> top >> size.width >> size.height) || size.width <= 0 || size.height <= 0)
        return std::nullopt;
    return size;
}

// A pixel's height/width is (DH / H) / (DW / W) for the frame W x H shown as DW x DH.
double PixelShape(const FrameRect& frame, const FrameRect& display)
{
    const int64_t pixelHeight = int64_t{frame.width} * display.height;
    const int64_t pixelWidth = int64_t{frame.height} * display.width;
    return pixelHeight == pixelWidth ? 0 : double(pixelHeight) / double(pixelWidth);
}

}  // namespace

void SetCommandSender(MciCommandSender replacement)
{
    sender = std::move(replacement);
}

// Every command, an open with any file name included, goes through the service's one
// UTF-8 call; the reply is its text up to the first NUL, trimmed of blanks.
MciError SendMCICommand(const std::string& command, std::string& reply)
{
    std::string raw;
    const MciError code = sender.send ? sender.send(command, raw) : ServiceSendString(command, raw);
    reply = TrimAtNull(raw);
    return code;
}

std::string GetMCIErrorText(MciError code)
{
    return TrimAtNull(sender.errorText ? sender.errorText(code) : ServiceErrorString(code));
}

void ShowExclamation(const std::string& text)
{
    MsgBox(text, kMsgExclamation, std::string(kAppTitle));
}

bool OpenVoice1(const std::string& fileName, WindowHandle parent, int32_t volume, bool reportFailure)
{
    const bool wasForeground = IsMainWindowForeground();
    CloseVoice1();
    const std::string ext = UpperExtension(fileName);
    const auto fail = [reportFailure] {
        if (reportFailure)
            ShowExclamation(GetMCIErrorText(MCILastError));
        return false;
    };
    if (!OpenWithFallbacks(fileName, parent, TypeClause(ext)))
        return fail();
    RestoreForeground(wasForeground);
    if (NeedsSeparateVideoWindow() && !ReopenInSeparateVideoWindow(fileName))
        return fail();
    SetVoice1TimeFormat("milliseconds");
    if (ext != "RMI" && ext != "MID")
        SetVoice1Volume(volume);
    return true;
}

MciError OpenVoice1File(const std::string& fileName, const std::string& clause)
{
    return SendKept("open \"" + fileName + "\" alias voice1 " + clause);
}

// The engine's video window goes with the device: nothing to hide or re-parent first.
MciError CloseVoice1()
{
    return SendKept("close voice1");
}

// Playing a title that stands at its end starts it again from the beginning.
bool PlayVoice1()
{
    const bool played = SendKept("play voice1") == 0;
    const int32_t length = GetVoice1Length();
    if (length > 10) {
        Wait(kStepMs);
        if (GetVoice1Position() == length) {
            SendKept("seek voice1 to 0");
            SendKept("resume voice1");
        }
    }
    return played;
}

// MCILastError is left as it was when nothing is sent.
MciError PauseVoice1()
{
    if (GetVoice1Mode() != kPlaying)
        return 0;
    const MciError code = SendKept("pause voice1");
    if (code != 0 && code != MCIERR_NO_WINDOW)
        ShowExclamation("pause: " + GetMCIErrorText(code));
    return code;
}

MciError ResumeVoice1()
{
    SendKept("resume voice1 ");
    return SendKept("play voice1 ");
}

MciError StopVoice1()
{
    const MciError code = SendKept("stop voice1");
    if (code != 0)
        ShowExclamation("stop: " + GetMCIErrorText(code));
    return code;
}

// The mode is asked first, whatever the flag. The code reported is that of the
// positioning command (the "play from to" of the frame display, or the seek and the
// resume that follows it); the length is asked only when there is an error to judge, and
// asking it does not replace the seek's code. Failed seeks to 0 or past the end are silent.
MciError SeekVoice1(int32_t targetMs, bool showFrame, bool thenPlay)
{
    if (GetVoice1Mode() != kPlaying && showFrame)
        ShowFrameAt(targetMs);
    else
        SeekTo(targetMs, thenPlay);
    const MciError code = MCILastError;
    if (code != 0 && targetMs >= 1 && targetMs <= GetVoice1Length())
        ShowExclamation("seek: " + GetMCIErrorText(code));
    MCILastError = code;
    return code;
}

MciError SetVoice1TimeFormat(const std::string& format)
{
    return SendOnly("set voice1 time format " + format);
}

void SetVoice1Volume(int32_t volume)
{
    SendOnly("setaudio voice1 volume to " + std::to_string(volume));
}

std::string GetVoice1Mode()
{
    std::string reply;
    return SendMCICommand("status voice1 mode", reply) == 0 ? reply : std::string{};
}

int32_t GetVoice1Length()
{
    std::string reply;
    return SendKept("status voice1 length", reply) == 0 ? RoundToInt32(ReadLeadingNumber(reply)) : 0;
}

int32_t GetVoice1Position()
{
    std::string reply;
    return SendKept("status voice1 Position", reply) == 0 ? RoundToInt32(ReadLeadingNumber(reply)) : -1;
}

WindowHandle GetVoice1Window()
{
    std::string reply;
    if (SendKept("status voice1 window handle", reply) != 0)
        return 0;
    const double handle = ReadLeadingNumber(reply);
    return handle > 0 ? static_cast<WindowHandle>(std::llround(handle)) : 0;
}

double GetVoice1FrameRate()
{
    std::string reply;
    if (SendKept("status voice1 nominal frame rate", reply) != 0 && SendKept("status voice1 frame rate", reply) != 0)
        return 0;
    return ReadLeadingNumber(reply) / 1000.0;
}

bool GetVoice1VideoSize(int32_t& width, int32_t& height, double& pixelShape)
{
    width = height = 0;
    pixelShape = 0;
    const std::optional<FrameRect> frame = WhereVoice1("source");
    if (!frame)
        return false;
    width = frame->width;
    height = frame->height;
    if (const std::optional<FrameRect> display = WhereVoice1("destination"))
        pixelShape = PixelShape(*frame, *display);
    return true;
}

double ReadLeadingNumber(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return 0;
    if (text[first] == '+')
        ++first;
    double value = 0;
    const auto result = std::from_chars(text.data() + first, text.data() + text.size(), value);
    return result.ec == std::errc{} && std::isfinite(value) ? value : 0;
}

}  // namespace vistrel::MciVoice
