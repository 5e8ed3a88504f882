#include "export/file_names.h"

#include <new>
#include <system_error>

namespace vantora {

namespace {

using NameText = std::filesystem::path::string_type;
using NameChar = NameText::value_type;

bool isTaken(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool isAsciiDigit(NameChar c)
{
    return c >= NameChar('0') && c <= NameChar('9');
}

// Counting up in decimal text rather than in an integer keeps the leading
// zeros as padding and cannot overflow however long the digit run is.
NameText nextNumber(NameText digits)
{
    for (auto at = digits.rbegin(); at != digits.rend(); ++at) {
        if (*at != NameChar('9')) {
            ++*at;
            return digits;
        }
        *at = NameChar('0');
    }
    return NameChar('1') + digits;
}

struct NumberedName {
    NameText base;       // without its trailing digits
    NameText number;     // the trailing digits, empty when there are none
    NameText extension;  // from the last dot on, empty when there is none
};

NumberedName splitName(const NameText& name)
{
    const auto dot = name.rfind(NameChar('.'));
    NumberedName parts;
    parts.base = name.substr(0, dot);
    if (dot != NameText::npos)
        parts.extension = name.substr(dot);
    auto digitsStart = parts.base.size();
    while (digitsStart > 0 && isAsciiDigit(parts.base[digitsStart - 1]))
        --digitsStart;
    parts.number = parts.base.substr(digitsStart);
    parts.base.erase(digitsStart);
    return parts;
}

std::filesystem::path firstFreeVariant(const std::filesystem::path& path)
{
    NumberedName parts = splitName(path.filename().native());
    std::filesystem::path candidate = path;
    do {
        parts.number = nextNumber(parts.number);
        candidate.replace_filename(parts.base + parts.number + parts.extension);
    } while (isTaken(candidate));
    return candidate;
}

}  // namespace

std::filesystem::path uniqueFileName(const std::filesystem::path& path)
{
    try {
        if (!isTaken(path))
            return path;
        return firstFreeVariant(path);
    } catch (const std::bad_alloc&) {
        // Only an allocation can fail here; the caller then writes to the
        // given path and hears of any problem from the write itself.
        return path;
    }
}

}  // namespace vantora
