#include "mediainfo/InfoLines.h"

#include <cmath>
#include <cstdio>

namespace vistrel {

namespace {

// printf's %.*g without exponent for the values the readers show, trailing zeros removed.
std::string FormatSignificant(double value, int digits)
{
    if (!std::isfinite(value))
        return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    std::string text = buffer;
    if (text.find_first_of("eE") != std::string::npos) {
        // Large or tiny values: write them out in full, then trim.
        std::snprintf(buffer, sizeof buffer, "%.*f", std::abs(value) < 1 ? digits : 0, value);
        text = buffer;
    }
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

}  // namespace

std::string FormatWhole(int64_t value)
{
    return std::to_string(value);
}

std::string FormatSingle(float value)
{
    return FormatSignificant(static_cast<double>(value), 7);
}

std::string FormatDouble(double value)
{
    return FormatSignificant(value, 15);
}

std::string Latin1ToUtf8(const std::string& bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<uint8_t>(ch);
        if (c < 0x80) {
            text.push_back(ch);
        } else {
            text.push_back(static_cast<char>(0xC0 | (c >> 6)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return text;
}

}  // namespace vistrel
