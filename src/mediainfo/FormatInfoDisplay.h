#pragma once
// Fitting the info lines into the label column. The window passes its labels' text-width
// function; tests pass fixed widths.
#include "mediainfo/InfoLines.h"

#include <functional>
#include <string>

namespace vistrel {

// Width of a text in the labels' font, in the unit of `labelWidth`.
using TextWidthFn = std::function<int(const std::string& text)>;

constexpr int kFirstFittedLabel = 1;
constexpr int kLastShownLabel = 6;

// The four fitting passes over labels 1 to 6; label 0 and line 7 are never shortened.
void FitInfoLines(InfoLines& lines, const TextWidthFn& textWidth, int labelWidth);

// Replaces every occurrence of `from` in one left-to-right pass: the replacement text is
// not searched again, so four blanks become two, not one.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

}  // namespace vistrel
