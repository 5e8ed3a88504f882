#include "tracklog/text_writer.h"

#include <charconv>
#include <cmath>

namespace vantora {

namespace {

// Large enough for any long long and for "%.6f" of any finite double.
constexpr std::size_t kScratch = 400;

std::string_view toText(char (&scratch)[kScratch], long long value, int minDigits)
{
    char digits[32];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    if (error != std::errc{})
        return {};
    std::string_view raw(digits, static_cast<std::size_t>(end - digits));
    const bool negative = !raw.empty() && raw.front() == '-';
    if (negative)
        raw.remove_prefix(1);

    std::size_t length = 0;
    if (negative)
        scratch[length++] = '-';
    for (int pad = minDigits - static_cast<int>(raw.size()); pad > 0 && length < 64; --pad)
        scratch[length++] = '0';
    for (char c : raw)
        scratch[length++] = c;
    return {scratch, length};
}

std::string_view toFixedText(char (&scratch)[kScratch], double value, int decimals)
{
    if (!std::isfinite(value))
        return std::signbit(value) ? "-nan" : "nan";
    auto [end, error] =
        std::to_chars(scratch, scratch + kScratch, value, std::chars_format::fixed, decimals);
    if (error != std::errc{})
        return {};
    return {scratch, static_cast<std::size_t>(end - scratch)};
}

}  // namespace

TextWriter::TextWriter(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity)
{
    if (capacity_ > 0)
        buffer_[0] = '\0';
}

TextWriter& TextWriter::text(std::string_view part)
{
    if (capacity_ == 0)
        return *this;
    for (char c : part) {
        if (length_ + 1 >= capacity_)
            break;
        buffer_[length_++] = c;
    }
    buffer_[length_] = '\0';
    return *this;
}

TextWriter& TextWriter::number(long long value, int minDigits)
{
    char scratch[kScratch];
    return text(toText(scratch, value, minDigits));
}

TextWriter& TextWriter::fixed(double value, int decimals)
{
    char scratch[kScratch];
    return text(toFixedText(scratch, value, decimals));
}

std::string formatNumber(long long value, int minDigits)
{
    char scratch[kScratch];
    return std::string(toText(scratch, value, minDigits));
}

std::string formatFixed(double value, int decimals)
{
    char scratch[kScratch];
    return std::string(toFixedText(scratch, value, decimals));
}

std::wstring widenAscii(std::string_view ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace vantora
