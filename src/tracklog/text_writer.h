#pragma once
// Bounded, locale-independent formatting into the fixed-size text fields of
// the records. Writing stops at the field's end (always NUL-terminated), as
// snprintf would, so a surprising value can never run past a buffer.

#include <cstddef>
#include <string>
#include <string_view>

namespace vantora {

class TextWriter {
public:
    template <std::size_t N>
    explicit TextWriter(char (&field)[N]) : TextWriter(field, N) {}
    TextWriter(char* buffer, std::size_t capacity);

    TextWriter& text(std::string_view part);
    // Decimal integer with at least minDigits digits (zero-padded, like "%02d").
    TextWriter& number(long long value, int minDigits = 1);
    // Fixed-point with the given decimals, rounded like printf's "%.Nf";
    // the decimal separator is always a full stop.
    TextWriter& fixed(double value, int decimals);

private:
    char* buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
};

// The same formatting into a growable string, for texts without a fixed field.
std::string formatNumber(long long value, int minDigits = 1);
std::string formatFixed(double value, int decimals);

// The text of a fixed-size field read from a file: up to its first NUL,
// never past its end, as a missing terminator must not run past the field.
template <std::size_t N>
std::string_view fieldText(const char (&field)[N])
{
    std::size_t length = 0;
    while (length < N && field[length] != '\0')
        ++length;
    return {field, length};
}

// ASCII text to a wide string, for the few wide display texts built here.
std::wstring widenAscii(std::string_view ascii);

}  // namespace vantora
