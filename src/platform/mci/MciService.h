#pragma once
// Our MCI command service. It parses the command strings
// that the MCI voice and the MCI test panel send, keeps devices by alias and answers as MCI
// does.
// Devices: MIDI files ("sequencer") on GStreamer (midiparse ! fluiddec); every other file
// on one libmpv handle, with its video in a native child window of the "parent" window.
// GUI thread only.
#include "support/WindowHandle.h"

#include <cstdint>
#include <string>

namespace vistrel {

using MciError = uint32_t;

// MCIERR codes (MCIERR_BASE 256 plus an offset). Callers show the number in their messages
// and compare against these, so the values are fixed; mciGetErrorString gives our texts.
inline constexpr MciError MCIERR_INVALID_DEVICE_ID = 257;
inline constexpr MciError MCIERR_UNRECOGNIZED_KEYWORD = 259;
inline constexpr MciError MCIERR_UNRECOGNIZED_COMMAND = 261;
inline constexpr MciError MCIERR_HARDWARE = 262;
inline constexpr MciError MCIERR_INVALID_DEVICE_NAME = 263;
inline constexpr MciError MCIERR_DEVICE_OPEN = 265;
inline constexpr MciError MCIERR_CANNOT_LOAD_DRIVER = 266;
inline constexpr MciError MCIERR_MISSING_COMMAND_STRING = 267;
inline constexpr MciError MCIERR_BAD_INTEGER = 270;
inline constexpr MciError MCIERR_MISSING_PARAMETER = 273;
inline constexpr MciError MCIERR_UNSUPPORTED_FUNCTION = 274;
inline constexpr MciError MCIERR_FILE_NOT_FOUND = 275;
inline constexpr MciError MCIERR_DEVICE_NOT_READY = 276;
inline constexpr MciError MCIERR_OUTOFRANGE = 282;
inline constexpr MciError MCIERR_DUPLICATE_ALIAS = 289;
inline constexpr MciError MCIERR_NO_CLOSING_QUOTE = 294;
inline constexpr MciError MCIERR_INVALID_FILE = 296;
inline constexpr MciError MCIERR_EXTRA_CHARACTERS = 305;
inline constexpr MciError MCIERR_NO_WINDOW = 346;
inline constexpr MciError MCIERR_MISSING_STRING_ARGUMENT = 269;
inline constexpr MciError MCIERR_CANNOT_USE_ALL = 279;
inline constexpr MciError MCIERR_BAD_CONSTANT = 290;
inline constexpr MciError MCIERR_MISSING_DEVICE_NAME = 292;
inline constexpr MciError MCIERR_BAD_TIME_FORMAT = 293;
inline constexpr MciError MCIERR_DUPLICATE_FLAGS = 295;
inline constexpr MciError MCIERR_CREATEWINDOW = 347;
inline constexpr MciError MCIERR_FILE_READ = 348;

// mciSendString: 0 on success; `reply` gets the reply text (empty when there is none).
MciError mciSendString(const std::string& command, std::string& reply);
// mciGetErrorString: the text for a code; empty for 0 and for unknown codes.
std::string mciGetErrorString(MciError code);
// Closes every open device (at exit, before the widgets that hold video go away).
void mciCloseAll();
// Makes ready, on a thread of its own, the engine that the next open naming a parent window
// takes, so that the first title played on this service does not wait for one.
void mciPrepareEngine();

// Moves and sizes the video window `window` (a "window handle" reply) inside its parent;
// nothing for a window the service did not create. The video layout calls it whenever the
// parent's video area changes.
void mciSetVideoWindowRect(WindowHandle window, int x, int y, int w, int h);
// Moves the video window `window` into the native window `newParent` at the given place,
// while the title stays open and plays on; nothing for a window the service did not create.
void mciSetVideoWindowParent(WindowHandle window, WindowHandle newParent, int x, int y, int w, int h);

// Test hook: devices opened afterwards run faster than real time without sound
// (mpv untimed=yes, ao=null, ao-null-untimed=yes; the sequencer into fakesink sync=false).
void mciSetUntimedEnginesForTests(bool untimed);

}  // namespace vistrel
