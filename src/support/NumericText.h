#pragma once
// The numbers in texts that users and settings files write: the leading number of a text,
// and its whole-number form for a slot of a given type.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace vistrel {

// The leading number of the text: optional blanks and sign, digits with "." as the decimal
// point and an optional exponent, or "&H" and hexadecimal digits; 0 when there is none.
// Numbers in existing settings files were written this way.
double LeadingNumericValue(const std::string& text);

// Whole numbers round to the nearest (ties to even, the default rounding mode) and are
// clamped to the slot's range, so reading never fails.
template <typename T>
T ToWhole(double value)
{
    const double rounded = std::nearbyint(value);
    if (std::isnan(rounded))
        return 0;
    return static_cast<T>(std::clamp(rounded, static_cast<double>(std::numeric_limits<T>::min()),
                                     static_cast<double>(std::numeric_limits<T>::max())));
}

}  // namespace vistrel
