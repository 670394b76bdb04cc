#include "platform/mci/MciService.h"

#include "platform/desktop/QtXcb.h"
#include "platform/mci/MciCommand.h"
#include "platform/mci/MciDevice.h"
#include "platform/mci/MpvDevice.h"
#include "platform/mci/SequencerDevice.h"
#include "platform/mci/SpareEngine.h"
#include "platform/mci/VideoChildWindow.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

namespace vistrel {

namespace {

using mci::AudioAction;
using mci::MciCommand;
using mci::MciDevice;
using mci::SameWord;
using mci::Verb;

struct OpenDevice {
    std::string alias;
    std::unique_ptr<MciDevice> device;
};

std::vector<OpenDevice>& Devices()
{
    static std::vector<OpenDevice> devices;
    return devices;
}

bool g_untimedEngines = false;

std::vector<OpenDevice>::iterator FindOpen(const std::string& alias)
{
    auto& devices = Devices();
    return std::find_if(devices.begin(), devices.end(),
                        [&](const OpenDevice& open) { return SameWord(open.alias, alias); });
}

MciDevice* FindDevice(const std::string& alias)
{
    const auto it = FindOpen(alias);
    return it == Devices().end() ? nullptr : it->device.get();
}

enum class DeviceKind { Mpv, Sequencer };

bool HasMidiExtension(const std::string& file)
{
    const std::string extension = std::filesystem::path(file).extension().string();
    return SameWord(extension, ".mid") || SameWord(extension, ".rmi") || SameWord(extension, ".midi");
}

// The MCI type words the MCI voice and the test panel's device-type box send are accepted,
// but the file decides which device plays it.
// A MIDI file always goes to the sequencer, as libmpv cannot play MIDI.
MciError KindOf(const MciCommand& command, DeviceKind& kind)
{
    static constexpr std::string_view kMediaTypes[] = {"mpegvideo", "mpegvideo2", "digitalvideo",
                                                       "avivideo",  "waveaudio",  "activemovie"};
    const bool knownType = command.type.empty() || SameWord(command.type, "sequencer") ||
                           std::any_of(std::begin(kMediaTypes), std::end(kMediaTypes),
                                       [&](std::string_view type) { return SameWord(command.type, type); });
    if (!knownType)
        return MCIERR_INVALID_DEVICE_NAME;
    const bool midi = SameWord(command.type, "sequencer") || HasMidiExtension(command.element);
    kind = midi ? DeviceKind::Sequencer : DeviceKind::Mpv;
    return 0;
}

MciError CheckFile(const std::string& file)
{
    struct stat info {};
    if (stat(file.c_str(), &info) != 0)
        return MCIERR_FILE_NOT_FOUND;
    if (!S_ISREG(info.st_mode))
        return MCIERR_INVALID_FILE;
    if (access(file.c_str(), R_OK) != 0)
        return MCIERR_FILE_READ;
    return 0;
}

// Engines read the file by an absolute name, so that no name is taken for a protocol
// ("av://...") or is resolved against another folder.
std::string AbsoluteName(const std::string& file)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    return error ? file : absolute.string();
}

// A video window only where window handles are X windows and a parent was named.
mci::EngineOptions EngineOptionsFor(const MciCommand& command)
{
    mci::EngineOptions options;
    options.untimed = g_untimedEngines;
    if (command.parent && IsXcbPlatform())
        options.parent = *command.parent;
    return options;
}

MciError Open(const MciCommand& command)
{
    DeviceKind kind = DeviceKind::Mpv;
    if (const MciError error = KindOf(command, kind))
        return error;
    if (FindDevice(command.device))
        return MCIERR_DUPLICATE_ALIAS;
    if (const MciError error = CheckFile(command.element))
        return error;
    const std::string file = AbsoluteName(command.element);
    std::unique_ptr<MciDevice> device;
    const MciError error = kind == DeviceKind::Sequencer
                               ? mci::SequencerDevice::Open(file, EngineOptionsFor(command), device)
                               : mci::MpvDevice::Open(file, EngineOptionsFor(command), device);
    if (error)
        return error;
    Devices().push_back({command.device, std::move(device)});
    return 0;
}

MciError Close(const std::string& alias)
{
    if (SameWord(alias, "all")) {
        mciCloseAll();
        return 0;
    }
    const auto it = FindOpen(alias);
    if (it == Devices().end())
        return MCIERR_INVALID_DEVICE_NAME;
    Devices().erase(it);
    return 0;
}

MciError Set(MciDevice& device, const MciCommand& command)
{
    // The time format is always milliseconds: the parser accepted nothing else.
    return command.speed ? device.setSpeed(*command.speed) : 0;
}

MciError SetAudio(MciDevice& device, const MciCommand& command)
{
    switch (command.audio) {
    case AudioAction::Volume: return device.setVolume(command.audioValue);
    case AudioAction::Off: return device.setMute(true);
    case AudioAction::On: return device.setMute(false);
    case AudioAction::Stream: return device.setAudioStream(command.audioValue);
    }
    return MCIERR_UNRECOGNIZED_KEYWORD;
}

MciError Run(MciDevice& device, const MciCommand& command, std::string& reply)
{
    switch (command.verb) {
    case Verb::Play: return device.play(command.from, command.to);
    case Verb::Pause: return device.pause();
    case Verb::Resume: return device.resume();
    case Verb::Stop: return device.stop();
    case Verb::Seek: return device.seek(command.seekTarget, command.seekPosition);
    case Verb::Set: return Set(device, command);
    case Verb::SetAudio: return SetAudio(device, command);
    case Verb::Status: return device.status(command.item, reply);
    case Verb::Where: return device.where(command.rect, reply);
    case Verb::Open:
    case Verb::Close: break;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

MciError Dispatch(const MciCommand& command, std::string& reply)
{
    if (command.verb == Verb::Open)
        return Open(command);
    if (command.verb == Verb::Close)
        return Close(command.device);
    MciDevice* device = FindDevice(command.device);
    if (!device)
        return MCIERR_INVALID_DEVICE_NAME;
    return Run(*device, command, reply);
}

}  // namespace

MciError mciSendString(const std::string& command, std::string& reply)
{
    reply.clear();
    MciCommand parsed;
    if (const MciError error = mci::ParseMciCommand(command, parsed))
        return error;
    return Dispatch(parsed, reply);
}

std::string mciGetErrorString(MciError code)
{
    switch (code) {
    case MCIERR_INVALID_DEVICE_ID: return "The device identifier is not valid; use the device's alias.";
    case MCIERR_UNRECOGNIZED_KEYWORD: return "The command contains a keyword that the device does not know.";
    case MCIERR_UNRECOGNIZED_COMMAND: return "The command is not recognized.";
    case MCIERR_HARDWARE: return "The playback engine or the sound output reported an error.";
    case MCIERR_INVALID_DEVICE_NAME: return "No device is open under this name, or the device type is unknown.";
    case MCIERR_DEVICE_OPEN: return "The device is already open.";
    case MCIERR_CANNOT_LOAD_DRIVER: return "The playback engine could not be started.";
    case MCIERR_MISSING_COMMAND_STRING: return "The command is empty.";
    case MCIERR_MISSING_STRING_ARGUMENT: return "A name is missing after a keyword of the command.";
    case MCIERR_BAD_INTEGER: return "A number in the command is not a valid whole number.";
    case MCIERR_MISSING_PARAMETER: return "The command is missing a required parameter.";
    case MCIERR_UNSUPPORTED_FUNCTION: return "The device does not support this function.";
    case MCIERR_FILE_NOT_FOUND: return "The file was not found.";
    case MCIERR_DEVICE_NOT_READY: return "The device is not ready: the file did not load in time.";
    case MCIERR_CANNOT_USE_ALL: return "\"all\" can only be used to close every device.";
    case MCIERR_OUTOFRANGE: return "The value is out of range for this device.";
    case MCIERR_DUPLICATE_ALIAS: return "The alias is already used by an open device.";
    case MCIERR_BAD_CONSTANT: return "A keyword has a value that is not allowed.";
    case MCIERR_MISSING_DEVICE_NAME: return "The command does not name a device or file.";
    case MCIERR_BAD_TIME_FORMAT: return "The time format is not supported; use milliseconds.";
    case MCIERR_NO_CLOSING_QUOTE: return "A quoted name in the command has no closing quotation mark.";
    case MCIERR_DUPLICATE_FLAGS: return "A keyword occurs more than once in the command.";
    case MCIERR_INVALID_FILE: return "The file cannot be played: it is not a media file that the device understands.";
    case MCIERR_EXTRA_CHARACTERS: return "The command has extra words at its end.";
    case MCIERR_NO_WINDOW: return "The device has no video window.";
    case MCIERR_CREATEWINDOW: return "The video window could not be created in the given parent window.";
    case MCIERR_FILE_READ: return "The file cannot be read.";
    default: return {};
    }
}

void mciPrepareEngine()
{
    mci::PrepareSpareEngine(mci::EngineKind{IsXcbPlatform(), g_untimedEngines});
}

void mciCloseAll()
{
    // One at a time and newest first, as each engine shuts down before its window goes.
    auto& devices = Devices();
    while (!devices.empty())
        devices.pop_back();
}

void mciSetVideoWindowRect(WindowHandle window, int x, int y, int w, int h)
{
    if (window == 0)
        return;
    for (OpenDevice& open : Devices()) {
        if (open.device->videoWindow() == window)
            open.device->setVideoRect(x, y, w, h);
    }
}

void mciSetVideoWindowParent(WindowHandle window, WindowHandle newParent, int x, int y, int w, int h)
{
    if (window == 0 || newParent == 0)
        return;
    for (OpenDevice& open : Devices()) {
        if (open.device->videoWindow() == window)
            open.device->setVideoParent(newParent, x, y, w, h);
    }
}

void mciSetUntimedEnginesForTests(bool untimed)
{
    g_untimedEngines = untimed;
}

}  // namespace vistrel
