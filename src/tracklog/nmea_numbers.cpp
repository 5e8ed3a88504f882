#include "tracklog/nmea_numbers.h"

#include <algorithm>
#include <cstdint>

namespace vantora::nmea {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int leadingInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = std::min(value * 10 + (text[i] - '0'), 2147483648LL);
    if (negative)
        return static_cast<int>(-value);
    return static_cast<int>(std::min(value, 2147483647LL));
}

int twoDigitPiece(std::string_view text, std::size_t index)
{
    if (index >= text.size())
        return 0;
    return leadingInt(text.substr(index, 2));
}

std::optional<unsigned> hexNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    unsigned value = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (isDigit(c))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        any = true;
        value = std::min(value * 16 + static_cast<unsigned>(digit), 0x10000u);
    }
    if (!any)
        return std::nullopt;
    return value;
}

double decimalFraction(std::string_view digits)
{
    std::uint64_t numerator = 0;
    double denominator = 1.0;
    for (std::size_t i = 0; i < digits.size() && i < 15 && isDigit(digits[i]); ++i) {
        numerator = numerator * 10 + static_cast<std::uint64_t>(digits[i] - '0');
        denominator *= 10.0;
    }
    return static_cast<double>(numerator) / denominator;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

}  // namespace vantora::nmea
