#pragma once
// The info lines of the media file test and the number and text wording that every
// reader shares, so that all formats read alike in the labels.
#include <array>
#include <cstdint>
#include <string>

namespace vistrel {

// Eight texts, numbered 0 to 7; line 0 names the format, line 7 is never shown.
using InfoLines = std::array<std::string, 8>;

// What a format branch reports besides its lines.
struct StreamFlags {
    bool SeveralAudioStreams = false;   // AVI: more than one audio stream; MPEG PS: more than one of all kinds
    bool MpegProgramWithVideo = false;  // MPEG program stream holding a video stream
};

// Whole numbers in decimal.
std::string FormatWhole(int64_t value);
// Single-precision values: at most 7 significant digits, trailing zeros removed, "." (23.976).
std::string FormatSingle(float value);
// Doubles: at most 15 significant digits, trailing zeros removed, "." (1411.2).
std::string FormatDouble(double value);
// Text taken from file bytes is Latin-1, one character per byte; lines are UTF-8.
std::string Latin1ToUtf8(const std::string& bytes);

}  // namespace vistrel
