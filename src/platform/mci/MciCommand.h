#pragma once
// The MCI command-string parser: turns the strings that
// the MCI voice and the MCI test panel send into a MciCommand. Pure C++, no engine, no Qt.
// MCI's rules: keywords and aliases case-insensitive, any number of blanks between words,
// a file name with blanks in double quotes, the clauses of a command in any order.
#include "platform/mci/MciService.h"
#include "support/WindowHandle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vistrel::mci {

enum class Verb { Open, Close, Play, Pause, Resume, Stop, Seek, Set, SetAudio, Status, Where };

enum class SeekTarget { Position, Start, End };

enum class AudioAction { Volume, Off, On, Stream };

// "where": the frame as decoded, or the picture at its natural display size.
enum class VideoRect { Source, Destination };

enum class StatusItem {
    Mode,
    Length,
    Position,
    WindowHandle,
    NominalFrameRate,
    FrameRate,
    NumberOfAudioTracks,
    AudioStream,
    Speed,
    FramesSkipped,
    TimeFormat,
    Volume,
    Ready,
};

struct MciCommand {
    Verb verb = Verb::Status;
    std::string device;  // the alias the command addresses; for open the alias to create

    // open: element (file name), "type", "style child", "parent"
    std::string element;
    std::string type;  // as written, empty when there is no type clause
    bool styleChild = false;
    std::optional<WindowHandle> parent;

    // play
    std::optional<uint32_t> from;
    std::optional<uint32_t> to;

    // seek
    SeekTarget seekTarget = SeekTarget::Position;
    uint32_t seekPosition = 0;

    // set: both items may stand in one command
    bool setsTimeFormat = false;
    std::optional<uint32_t> speed;

    // setaudio
    AudioAction audio = AudioAction::Volume;
    uint32_t audioValue = 0;

    // status
    StatusItem item = StatusItem::Mode;

    // where
    VideoRect rect = VideoRect::Source;
};

// 0 and `out` filled, or the MCIERR code of the first fault.
MciError ParseMciCommand(std::string_view text, MciCommand& out);

// Case-insensitive comparison of ASCII words (keywords and aliases).
bool SameWord(std::string_view a, std::string_view b);

}  // namespace vistrel::mci
