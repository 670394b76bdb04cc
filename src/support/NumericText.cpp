#include "support/NumericText.h"

#include "support/FilePaths.h"

#include <charconv>
#include <string_view>

namespace vistrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

double HexValue(std::string_view digits)
{
    double value = 0;
    for (char c : digits) {
        const int d = HexDigitValue(c);
        if (d < 0)
            break;
        value = value * 16 + d;
    }
    return value;
}

size_t SkipDigits(std::string_view text, size_t i)
{
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i;
}

// End of an exponent "e", optional sign, digits starting at `i`; `i` when there is none.
size_t ExponentEnd(std::string_view text, size_t i)
{
    if (i >= text.size() || (text[i] != 'e' && text[i] != 'E'))
        return i;
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-'))
        ++j;
    const size_t end = SkipDigits(text, j);
    return end > j ? end : i;
}

// Sign, digits, optional fraction, optional exponent; 0 without a digit.
double DecimalValue(std::string_view text)
{
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        ++i;
    const size_t start = i;
    i = SkipDigits(text, i);
    size_t digits = i - start;
    if (i < text.size() && text[i] == '.') {
        const size_t fraction = i + 1;
        i = SkipDigits(text, fraction);
        digits += i - fraction;
    }
    if (digits == 0)
        return 0;
    const size_t end = ExponentEnd(text, i);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data() + start, text.data() + end, value);
    if (ec == std::errc::result_out_of_range) {
        const bool tiny = text.substr(i, end - i).find('-') != std::string_view::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

}  // namespace

double LeadingNumericValue(const std::string& text)
{
    std::string_view t = text;
    t.remove_prefix(std::min(t.find_first_not_of(" \t\r\n"), t.size()));
    if (t.size() >= 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h'))
        return HexValue(t.substr(2));
    return DecimalValue(t);
}

}  // namespace vistrel
