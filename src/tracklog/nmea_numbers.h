#pragma once
// The number and text rules of the logger's NMEA fields, as the C runtime
// reads them (atoi, "%x"), but bounded and clamped instead of overflowing.

#include <optional>
#include <string_view>

namespace vantora::nmea {

bool isDigit(char c);

// atoi: leading blanks, an optional sign, then digits up to the first other
// character; clamped instead of overflowing.
int leadingInt(std::string_view text);

// atoi of the (at most) two characters at the index; 0 past the end.
int twoDigitPiece(std::string_view text, std::size_t index);

// "%x": leading blanks, an optional 0x, at least one hexadecimal digit;
// clamped at 0x10000.
std::optional<unsigned> hexNumber(std::string_view text);

// The value of "0.dddd" for the digits after a decimal point. Exact to the
// double nearest the decimal, as a string-to-double conversion would give.
double decimalFraction(std::string_view digits);

// ASCII letters only, as sentence names and times need.
bool equalIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vantora::nmea
